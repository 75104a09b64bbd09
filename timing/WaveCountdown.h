#pragma once

#include <QString>
#include <QStringList>
#include <QTime>
#include <QtGlobal>

#include <vector>

// One wave of the automatic starter's list: its start numbers and its start as whole seconds
// since midnight.
struct StarterRow {
    qint32 von = 0;
    qint32 bis = 0;
    qint32 startSeconds = 0;
};

// The starter's list: the wave rows in table order, then sorted by start time. Rows that are
// not waves (no number, no time of day) cannot be counted down to and are left out.
std::vector<StarterRow> LoadStarterList(const QStringList& waveRows);
// Sorts list[low..high] in place; key 1 sorts by start time, the only key there is. Waves with
// equal start times keep no particular order.
void SortStartList(std::vector<StarterRow>& list, int low, int high, int key);
// The grid text of a row: "von;bis;hh:nn:ss".
QString StarterRowText(const StarterRow& row);

// The countdown to the waves of a starter list. It is driven by ticks that each read the
// clock, so a late or missed tick never shifts or skips a wave. It compares times of day
// only: a wave earlier in the day than the clock counts as passed.
class WaveCountdown final {
public:
    struct Tick {
        qint32 remaining = 0;      // seconds to the wave due next, negative once it passed
        bool beeperWindow = false; // the last five seconds and the wave's own second
        bool pressStart = false;   // start the main window's run now
        bool waveDropped = false;  // the wave due passed; the next one is due now
        bool finished = false;     // the last wave passed; the countdown is over
    };

    // A new countdown: it may press the main window's start once again.
    void start(std::vector<StarterRow> waves);
    Tick tick(const QTime& now);
    void stop() { m_running = false; }

    bool running() const { return m_running; }
    // The waves still to come, the one due next first.
    const std::vector<StarterRow>& waves() const { return m_waves; }

    // "hh:nn:ss" of a remaining time; a passed wave shows "00:00:00".
    static QString RemainingText(qint32 remaining);
    // Beeps of one beeper tick: one in the last five seconds, six at the wave's second.
    static int BeepsFor(qint32 remaining);

private:
    std::vector<StarterRow> m_waves;
    qint32 m_waveTime = 0;
    bool m_waveTimeLoaded = false;
    bool m_mainStarted = false;
    bool m_running = false;
};
