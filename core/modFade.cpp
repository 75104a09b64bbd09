#include "core/modFade.h"

#include "platform/Clock.h"

#include <QWidget>

namespace modFade {

FormFader::FormFader(QWidget& window, Clock& clock) : QObject(&window), m_window(window), m_clock(clock) {}

void FormFader::start(int holdMs) {
    m_finished = false;
    setAlpha(FirstAlpha);
    m_window.repaint();
    m_clock.waitAsync(std::max(holdMs, 0), this, [this] { nextStep(); });
}

void FormFader::nextStep() {
    setAlpha(m_alpha - Step);
    if (m_alpha <= LastAlpha) {
        m_finished = true;
        emit finished();
        return;
    }
    m_clock.waitAsync(0, this, [this] { nextStep(); });
}

void FormFader::setAlpha(int alpha) {
    m_alpha = alpha;
    m_window.setWindowOpacity(alpha / 255.0);
    emit alphaChanged(alpha);
}

FormFader* FadeOutForm(QWidget& window, int holdMs, Clock& clock) {
    auto* fader = new FormFader(window, clock);
    fader->start(holdMs);
    return fader;
}

} // namespace modFade
