#pragma once

#include <QObject>

class Clock;
class QWidget;

// Fading a window out, as the splash closes.
namespace modFade {

// Holds a window fully visible, then fades it in alpha steps of 10 from 255 down to 5 (0 is
// never reached) through the window's opacity. Nothing blocks: the hold and the steps are
// waits on the clock, so the user-interface thread keeps handling its events meanwhile. The
// steps after the hold follow one another without a pause. Owned by the window; a window
// closed meanwhile ends the fade with it.
class FormFader final : public QObject {
    Q_OBJECT
public:
    FormFader(QWidget& window, Clock& clock);

    void start(int holdMs);
    int alpha() const { return m_alpha; }
    bool isFinished() const { return m_finished; }

    static constexpr int FirstAlpha = 255;
    static constexpr int LastAlpha = 5;
    static constexpr int Step = 10;

signals:
    void alphaChanged(int alpha);
    // The last step is done; the caller unloads the window now.
    void finished();

private:
    void setAlpha(int alpha);
    void nextStep();

    QWidget& m_window;
    Clock& m_clock;
    int m_alpha = FirstAlpha;
    bool m_finished = false;
};

// Starts fading the window after a hold of holdMs (0: no hold) and answers the fader.
FormFader* FadeOutForm(QWidget& window, int holdMs, Clock& clock);

} // namespace modFade
