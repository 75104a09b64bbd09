#include "timing/WaveCountdown.h"

#include "core/Convert.h"
#include "core/modChronivo.h"
#include "timing/WaveTable.h"

#include <utility>

std::vector<StarterRow> LoadStarterList(const QStringList& waveRows) {
    std::vector<StarterRow> list;
    for (const QString& text : waveRows) {
        const std::optional<WaveTable::Wave> wave = WaveTable::ParseWave(text);
        if (!wave)
            continue;
        const qint32 seconds = Convert::TimeOfDay(wave->zeit).msecsSinceStartOfDay() / 1000;
        list.push_back({wave->von, wave->bis, seconds});
    }
    if (!list.empty())
        SortStartList(list, 0, static_cast<int>(list.size()) - 1, 1);
    return list;
}

void SortStartList(std::vector<StarterRow>& list, int low, int high, int key) {
    if (key != 1 || low >= high)
        return;
    const qint32 pivot = list[static_cast<size_t>((low + high) / 2)].startSeconds;
    int i = low;
    int j = high;
    do {
        while (list[static_cast<size_t>(i)].startSeconds < pivot && i < high)
            ++i;
        while (pivot < list[static_cast<size_t>(j)].startSeconds && j > low)
            --j;
        if (i <= j) {
            std::swap(list[static_cast<size_t>(i)], list[static_cast<size_t>(j)]);
            ++i;
            --j;
        }
    } while (i <= j);
    if (low < j)
        SortStartList(list, low, j, key);
    if (i < high)
        SortStartList(list, i, high, key);
}

QString StarterRowText(const StarterRow& row) {
    return QStringLiteral("%1;%2;%3")
        .arg(row.von)
        .arg(row.bis)
        .arg(modChronivo::SecondsToTimeString(row.startSeconds));
}

void WaveCountdown::start(std::vector<StarterRow> waves) {
    m_waves = std::move(waves);
    m_waveTimeLoaded = false;
    m_mainStarted = false;
    m_running = !m_waves.empty();
}

WaveCountdown::Tick WaveCountdown::tick(const QTime& now) {
    Tick out;
    if (!m_running)
        return out;
    if (!m_waveTimeLoaded) {
        m_waveTime = m_waves.front().startSeconds;
        m_waveTimeLoaded = true;
    }
    out.remaining = m_waveTime - now.msecsSinceStartOfDay() / 1000;
    out.beeperWindow = out.remaining >= 0 && out.remaining <= 5;
    // Once per countdown, however many waves follow and however late the first tick comes.
    if (out.remaining <= 0 && !m_mainStarted) {
        out.pressStart = true;
        m_mainStarted = true;
    }
    if (out.remaining < 0) {
        m_waveTimeLoaded = false;
        m_waves.erase(m_waves.begin());
        if (m_waves.empty()) {
            m_running = false;
            out.finished = true;
        } else {
            out.waveDropped = true;
        }
    }
    return out;
}

QString WaveCountdown::RemainingText(qint32 remaining) {
    return modChronivo::SecondsToTimeString(std::max<qint32>(remaining, 0));
}

int WaveCountdown::BeepsFor(qint32 remaining) {
    if (remaining == 0)
        return 6;
    return remaining >= 1 && remaining <= 5 ? 1 : 0;
}
