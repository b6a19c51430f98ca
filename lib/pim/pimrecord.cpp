#include "pimrecord.h"

#include "categorymanager.h"
#include "categoryrecord.h"
#include "pimmanager.h"
#include "pimtextreader.h"
#include "pimtextwriter.h"
#include "ymrpim.h"
#include "qpe/loadbudget.h"

#include <QDataStream>

#include <cstring>
#include <limits>

namespace {
const qint64 NoStamp = std::numeric_limits<qint64>::min();
const qint64 MSecsPerDay = 86400000;
int loadDepth = 0;
qint64 loadStamp = 0;
QDate loadDate;

qint64 ownTextMemory(const QString &text)
{
    // a text shared with others (a type many records have) is counted once,
    // by none of them; so is the one empty text, but an empty text made
    // anew has a heap block of its own
    if (!text.isDetached())
        return 0;
    return LoadBudget::heapBytes(qint64(sizeof(QArrayData)) + 2 * (qint64(text.capacity()) + 1));
}

qint64 propertyMemory(const QString &name, const QString &value)
{
    return LoadBudget::heapBytes(qint64(sizeof(QMapNode<QString, QString>))) + ownTextMemory(name)
           + ownTextMemory(value);
}
}

PIMRecord::LoadScope::LoadScope(const QDateTime &at)
{
    if (loadDepth++ == 0) {
        const QDateTime now = at.isValid() ? at : QDateTime::currentDateTime();
        loadStamp = stampOf(now);
        loadDate = now.date();
    }
}

QDateTime PIMRecord::LoadScope::time()
{
    return loadDepth > 0 ? dateTimeOf(loadStamp) : QDateTime::currentDateTime();
}

PIMRecord::LoadScope::~LoadScope()
{
    --loadDepth;
}

QDate PIMRecord::today()
{
    return loadDepth > 0 ? loadDate : QDate::currentDate();
}

namespace {
inline int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The UUID text as libuuid's parse takes it (hex digits in any case, the
// four hyphens in their places), without its per-field number parsing.
bool parseUuid(const char *text, uuid_t out)
{
    int byte = 0;
    for (int i = 0; i < 36;) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (text[i] != '-')
                return false;
            ++i;
            continue;
        }
        const int hi = hexValue(text[i]);
        const int lo = hexValue(text[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        out[byte++] = static_cast<unsigned char>(hi << 4 | lo);
        i += 2;
    }
    return true;
}

qint64 stampOfParts(const QDate &d, const QTime &t)
{
    // out of the calendar's years the product below would overflow
    if (!d.isValid() || d.year() < 1 || d.year() > 9999)
        return NoStamp;
    // a time that is no time of day stands for midnight, as QDateTime takes it
    return d.toJulianDay() * MSecsPerDay + (t.isValid() ? t.msecsSinceStartOfDay() : 0);
}

void partsOfStamp(qint64 stamp, QDate &d, QTime &t)
{
    qint64 day = stamp / MSecsPerDay;
    qint64 ms = stamp % MSecsPerDay;
    if (ms < 0) {
        ms += MSecsPerDay;
        --day;
    }
    d = QDate::fromJulianDay(day);
    t = QTime::fromMSecsSinceStartOfDay(int(ms));
}
}

qint64 PIMRecord::stampOf(const QDateTime &dt)
{
    return stampOfParts(dt.date(), dt.time());
}

qint64 PIMRecord::stampOf(const int *v)
{
    // the calendar date is one of years 1 to 9999 already: no need to ask
    // the date its year again
    const QDate d = PIMTextReader::calendarDate(v[0], v[1], v[2]);
    if (!d.isValid())
        return NoStamp;
    const QTime t(v[3], v[4], v[5]);
    return d.toJulianDay() * MSecsPerDay + (t.isValid() ? t.msecsSinceStartOfDay() : 0);
}

void PIMRecord::createdParts(QDate &date, QTime &time) const
{
    date = QDate();
    time = QTime();
    if (m_created != NoStamp)
        partsOfStamp(m_created, date, time);
}

void PIMRecord::updatedParts(QDate &date, QTime &time) const
{
    date = QDate();
    time = QTime();
    if (m_updated != NoStamp)
        partsOfStamp(m_updated, date, time);
}

QDateTime PIMRecord::dateTimeOf(qint64 stamp)
{
    if (stamp == NoStamp)
        return QDateTime();
    QDate d;
    QTime t;
    partsOfStamp(stamp, d, t);
    return QDateTime(d, t);
}

void PIMRecord::writeStamp(PIMTextWriter &out, const char *key, qint64 stamp)
{
    if (stamp == NoStamp) {
        out.writeDateTime(key, QDate(), QTime());
        return;
    }
    qint64 day = stamp / MSecsPerDay;
    qint64 ms = stamp % MSecsPerDay;
    if (ms < 0) {
        ms += MSecsPerDay;
        --day;
    }
    const int secs = int(ms / 1000);
    out.writeDateTime(key, day, secs / 3600, secs / 60 % 60, secs % 60);
}

PIMRecord::PIMRecord(PIMManager *manager)
    : m_owner(manager)
{
    if (loadDepth > 0) {
        m_uidPending = true;
        uuid_clear(m_uid);
        m_created = m_updated = loadStamp;
    } else {
        uuid_generate(m_uid);
        m_created = stampOf(QDateTime::currentDateTime());
        m_updated = stampOf(QDateTime::currentDateTime());
    }
}

PIMRecord::PIMRecord(const PIMRecord &other)
    : m_uidPending(other.m_uidPending),
      m_created(other.m_created),
      m_updated(other.m_updated),
      m_owner(other.m_owner),
      m_properties(other.m_properties),
      m_categoryList(other.m_categoryList)
{
    uuid_copy(m_uid, other.m_uid);
}

PIMRecord::~PIMRecord() = default;

void PIMRecord::readField(QLatin1String, PIMTextReader &)
{
}

void PIMRecord::write(PIMTextWriter &out) const
{
    char text[37];
    uidText(text);
    out.writeRaw("UID=", 4);
    out.writeLine(text);
    writeStamp(out, "CREATED=", m_created);
    writeStamp(out, "UPDATED=", m_updated);
    for (auto it = m_properties.constBegin(); it != m_properties.constEnd(); ++it)
        out.writeNamedValue("PROP=", it.key(), it.value());
    out.writeValues("CATS=", m_categoryList);
    out.writeLine("END");
}

bool PIMRecord::read(PIMTextReader &in)
{
    m_rawStart = -1;
    return readBlock(in);
}

bool PIMRecord::readBlock(PIMTextReader &in)
{
    while (in.readLine()) {
        if (in.is("END"))
            return true;
        const QLatin1String key = in.key();
        switch (key.size()) {
        case 3:
            if (key == QLatin1String("UID")) {
                // the text between the first and a further "="
                const char *p = in.data() + 4;
                int len = in.size() - 4;
                if (len > 0) {
                    if (const void *eq = memchr(p, '=', size_t(len)))
                        len = int(static_cast<const char *>(eq) - p);
                }
                if (len == 36) {
                    uuid_t parsed;
                    if (parseUuid(p, parsed)) {
                        uuid_copy(m_uid, parsed);
                        m_uidPending = false;
                    }
                }
                continue;
            }
            break;
        case 4:
            if (key == QLatin1String("PROP")) {
                if (!in.hasValue())
                    continue;
                const QString name = in.piece(1);
                QString value = in.valueAfter(2);
                // the one empty text, not a block of its own each
                if (value.isEmpty())
                    value = QLatin1String("");
                // a block of many properties grows while it is read
                if (!m_properties.contains(name))
                    in.charge(propertyMemory(name, value));
                m_properties.insert(name, value);
                continue;
            }
            if (key == QLatin1String("CATS")) {
                m_categoryList = in.value().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
                if (m_categoryList.size() > MaxCategories && in.budget()) {
                    m_categoryList.clear();
                    in.budget()->refuse(LoadBudget::OverEntry);
                }
                continue;
            }
            break;
        case 7:
            if (key == QLatin1String("CREATED") || key == QLatin1String("UPDATED")) {
                int v[6];
                const qint64 stamp = in.numbers(1, v, 6) ? stampOf(v) : NoStamp;
                (key.data()[0] == 'C' ? m_created : m_updated) = stamp;
                continue;
            }
            break;
        default:
            break;
        }
        readField(key, in);
    }
    return false;
}

qint64 PIMRecord::textMemory(const QString &text)
{
    return ownTextMemory(text);
}

qint64 PIMRecord::memorySize() const
{
    return baseMemorySize(sizeof(PIMRecord));
}

qint64 PIMRecord::baseMemorySize(size_t objectSize) const
{
    qint64 bytes = LoadBudget::heapBytes(qint64(objectSize));
    if (!m_properties.isEmpty()) {
        bytes += LoadBudget::heapBytes(sizeof(QMapDataBase));
        for (auto it = m_properties.constBegin(); it != m_properties.constEnd(); ++it)
            bytes += propertyMemory(it.key(), it.value());
    }
    if (!m_categoryList.isEmpty()) {
        bytes += LoadBudget::heapBytes(qint64(sizeof(QListData::Data)) + 8 * qint64(m_categoryList.size()));
        for (const QString &uid : m_categoryList)
            bytes += textMemory(uid);
    }
    return bytes;
}

void PIMRecord::write(QDataStream &stream) const
{
    stream.writeRawData(reinterpret_cast<const char *>(m_uid), sizeof(uuid_t));
    stream << created() << updated() << qint32(m_properties.count());
    for (auto it = m_properties.constBegin(); it != m_properties.constEnd(); ++it)
        stream << it.key() << it.value();
    stream << m_categoryList;
}

void PIMRecord::read(QDataStream &stream)
{
    m_rawStart = -1;
    uuid_t raw;
    if (stream.readRawData(reinterpret_cast<char *>(raw), sizeof(uuid_t)) == int(sizeof(uuid_t))) {
        uuid_copy(m_uid, raw);
        m_uidPending = false;
    }
    qint32 count = 0;
    QDateTime created, updated;
    stream >> created >> updated >> count;
    setCreated(created);
    setUpdated(updated);
    for (qint32 i = 0; i < count && stream.status() == QDataStream::Ok; ++i) {
        QString name, value;
        stream >> name >> value;
        m_properties.insert(name, value);
    }
    stream >> m_categoryList;
    if (m_uidPending) {
        uuid_generate(m_uid);
        m_uidPending = false;
    }
}

void PIMRecord::newUid()
{
    uuid_generate(m_uid);
    m_uidPending = false;
    m_rawStart = -1;
}

QString PIMRecord::uidString() const
{
    char text[37];
    uidText(text);
    return QString::fromLatin1(text, 36);
}

void PIMRecord::uidText(char (&text)[37]) const
{
    // uuid_unparse()'s lower-case form, a byte's two digits at a time
    struct HexPairs
    {
        char pair[256][2];
        HexPairs()
        {
            static const char Hex[] = "0123456789abcdef";
            for (int b = 0; b < 256; ++b) {
                pair[b][0] = Hex[b >> 4];
                pair[b][1] = Hex[b & 15];
            }
        }
    };
    static const HexPairs hex;
    // where each byte's digits go, after the dashes before it
    static const unsigned char At[16] = {0, 2, 4, 6, 9, 11, 14, 16, 19, 21, 24, 26, 28, 30, 32, 34};
    for (int i = 0; i < 16; ++i)
        memcpy(text + At[i], hex.pair[m_uid[i]], 2);
    text[8] = text[13] = text[18] = text[23] = '-';
    text[36] = '\0';
}

void PIMRecord::setProperty(const QString &name, const QString &value)
{
    m_properties.insert(name, value);
    m_rawStart = -1;
    if (m_owner)
        m_owner->haveChange();
}

QString PIMRecord::property(const QString &name) const
{
    return m_properties.value(name);
}

bool PIMRecord::hasProperty(const QString &name) const
{
    return m_properties.contains(name);
}

void PIMRecord::removeProperty(const QString &name)
{
    if (m_properties.remove(name))
        m_rawStart = -1;
    if (m_owner)
        m_owner->haveChange();
}

QStringList PIMRecord::sortKey() const
{
    return m_owner ? m_owner->sortKey(this) : QStringList();
}

QString PIMRecord::categoryTitle(bool withMore) const
{
    CategoryManager *cats = m_owner ? m_owner->categoryManager() : nullptr;
    if (!cats)
        return QString();
    CategoryRecord *first = nullptr;
    int found = 0;
    for (const QString &uid : m_categoryList) {
        auto *c = static_cast<CategoryRecord *>(cats->findRecord(uid));
        if (c) {
            if (!first)
                first = c;
            ++found;
        }
    }
    if (!first)
        first = static_cast<CategoryRecord *>(cats->first());
    if (!first)
        return QString();
    QString title = first->title;
    if (withMore && found > 1)
        title += QStringLiteral(" [...]");
    return title;
}

QStringList PIMRecord::categoryTitles() const
{
    QStringList titles;
    CategoryManager *cats = m_owner ? m_owner->categoryManager() : nullptr;
    if (!cats)
        return titles;
    for (const QString &uid : m_categoryList) {
        if (auto *c = static_cast<CategoryRecord *>(cats->findRecord(uid)))
            titles << c->title;
    }
    return titles;
}

CategoryRecord *PIMRecord::firstCategory() const
{
    CategoryManager *cats = m_owner ? m_owner->categoryManager() : nullptr;
    if (!cats)
        return nullptr;
    for (const QString &uid : m_categoryList) {
        if (auto *c = static_cast<CategoryRecord *>(cats->findRecord(uid)))
            return c;
    }
    return static_cast<CategoryRecord *>(cats->first());
}

bool PIMRecord::store(PIMRecord *old)
{
    // one rule for both ways: old is handed over and deleted
    if (m_owner && m_owner->contains(this))
        return m_owner->updateRecord(old, this);
    if (old != this)
        delete old;
    return m_owner ? m_owner->addRecord(this) : false;
}

bool PIMRecord::remove()
{
    return m_owner ? m_owner->removeRecord(this) : false;
}

void PIMRecord::select()
{
    if (m_owner)
        m_owner->select(this);
}

bool PIMRecord::isFirst() const
{
    if (!m_owner)
        return false;
    return m_owner->count() == 0 || m_owner->first() == this;
}
