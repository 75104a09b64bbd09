#include "readers/InfoTextModel.h"

#include <QBrush>
#include <QDateTime>

#include <algorithm>

namespace {

// A row is stored as: the time since the page's previous row (zigzag varint), the text's
// length in bytes (varint), the text as UTF-8. Every MarkEvery-th row's offset and time are
// kept beside the page, so a row is found by walking at most MarkEvery - 1 rows.
constexpr int MarkEvery = 16;
constexpr int MaxVarintBytes = 10;

int putVarint(char* out, quint64 value) {
    int n = 0;
    while (value >= 0x80) {
        out[n++] = static_cast<char>((value & 0x7F) | 0x80);
        value >>= 7;
    }
    out[n++] = static_cast<char>(value);
    return n;
}

quint64 getVarint(const char* in, int& offset) {
    quint64 value = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(in[offset++]);
        value |= static_cast<quint64>(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            return value;
    }
}

quint64 zigzag(qint64 v) {
    return (static_cast<quint64>(v) << 1) ^ static_cast<quint64>(v >> 63);
}

qint64 unzigzag(quint64 v) {
    return static_cast<qint64>(v >> 1) ^ -static_cast<qint64>(v & 1);
}

} // namespace

struct InfoTextModel::Page {
    std::unique_ptr<char[]> bytes{new char[PageBytes]};
    int used = 0;
    int firstRow = 0;
    int rows = 0;
    qint64 lastTimeMs = 0;
    std::vector<quint16> markOffset;
    std::vector<qint64> markTimeMs;
};

InfoTextModel::InfoTextModel(QObject* parent) : QAbstractTableModel(parent) {}

InfoTextModel::~InfoTextModel() = default;

void InfoTextModel::append(const QString& text, qint64 timeMs) {
    // The consoles cut what they show to a few hundred characters; a longer text is cut here
    // too, so that any row fits a page.
    constexpr int MaxRowBytes = PageBytes - 2 * MaxVarintBytes;
    QByteArray utf8 = text.toUtf8();
    if (utf8.size() > MaxRowBytes)
        utf8 = text.left(MaxRowBytes / 3).toUtf8();
    const int need = 2 * MaxVarintBytes + static_cast<int>(utf8.size());
    Page* page = m_pages.empty() ? nullptr : m_pages.back().get();
    if (!page || page->used + need > PageBytes) {
        auto fresh = std::make_unique<Page>();
        fresh->firstRow = m_count;
        fresh->lastTimeMs = timeMs;
        page = fresh.get();
        m_pages.push_back(std::move(fresh));
    }
    if (page->rows % MarkEvery == 0) {
        page->markOffset.push_back(static_cast<quint16>(page->used));
        page->markTimeMs.push_back(timeMs);
    }
    char* out = page->bytes.get() + page->used;
    int n = putVarint(out, zigzag(timeMs - page->lastTimeMs));
    n += putVarint(out + n, static_cast<quint64>(utf8.size()));
    std::copy(utf8.cbegin(), utf8.cend(), out + n);
    page->used += n + static_cast<int>(utf8.size());
    page->lastTimeMs = timeMs;
    ++page->rows;
    ++m_count;
}

InfoTextModel::Row InfoTextModel::row(int index) const {
    const auto it = std::upper_bound(m_pages.begin(), m_pages.end(), index,
                                     [](int i, const std::unique_ptr<Page>& p) { return i < p->firstRow; });
    const Page& page = **(it - 1);
    const int local = index - page.firstRow;
    const auto mark = static_cast<size_t>(local / MarkEvery);
    int offset = page.markOffset[mark];
    qint64 time = page.markTimeMs[mark];
    const char* bytes = page.bytes.get();
    for (int r = static_cast<int>(mark) * MarkEvery;; ++r) {
        const qint64 delta = unzigzag(getVarint(bytes, offset));
        if (r % MarkEvery != 0)
            time += delta;
        const auto length = static_cast<int>(getVarint(bytes, offset));
        if (r == local)
            return {QString::fromUtf8(bytes + offset, length), time};
        offset += length;
    }
}

QString InfoTextModel::text(int index) const {
    return index >= 0 && index < m_count ? row(index).text : QString();
}

qint64 InfoTextModel::timeMs(int index) const {
    return index >= 0 && index < m_count ? row(index).timeMs : 0;
}

QStringList InfoTextModel::rows() const {
    QStringList all;
    all.reserve(m_count);
    for (const auto& page : m_pages) {
        int offset = 0;
        for (int r = 0; r < page->rows; ++r) {
            getVarint(page->bytes.get(), offset);
            const auto length = static_cast<int>(getVarint(page->bytes.get(), offset));
            all << QString::fromUtf8(page->bytes.get() + offset, length);
            offset += length;
        }
    }
    return all;
}

qsizetype InfoTextModel::memoryBytes() const {
    qsizetype bytes = static_cast<qsizetype>(m_pages.capacity() * sizeof(m_pages[0]));
    for (const auto& page : m_pages)
        bytes +=
            static_cast<qsizetype>(sizeof(Page) + PageBytes + page->markOffset.capacity() * sizeof(quint16) +
                                   page->markTimeMs.capacity() * sizeof(qint64));
    return bytes;
}

void InfoTextModel::show() {
    if (m_count == m_shown)
        return;
    beginInsertRows({}, m_shown, m_count - 1);
    m_shown = m_count;
    endInsertRows();
}

void InfoTextModel::clear() {
    beginResetModel();
    m_pages.clear();
    m_count = 0;
    m_shown = 0;
    endResetModel();
}

int InfoTextModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_shown;
}

int InfoTextModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1;
}

QVariant InfoTextModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_shown)
        return {};
    if (role == Qt::DisplayRole)
        return text(index.row());
    // When the row arrived, to the millisecond.
    if (role == Qt::ToolTipRole)
        return QDateTime::fromMSecsSinceEpoch(timeMs(index.row()))
            .toString(QStringLiteral("dd.MM.yyyy hh:mm:ss.zzz"));
    // Every row in the style set "white".
    if (role == Qt::BackgroundRole)
        return QBrush(Qt::white);
    if (role == Qt::ForegroundRole)
        return QBrush(Qt::black);
    return {};
}

QVariant InfoTextModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section == 0)
        return QStringLiteral("InfoText");
    return QAbstractTableModel::headerData(section, orientation, role);
}
