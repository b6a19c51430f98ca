#include "exportdialog.h"

#include "dateformatselector.h"
#include "textcodecselector.h"

#include "filedialog/ymfiledialog.h"
#include "pim/pimrecord.h"
#include "pim/task.h"
#include "pim/ymrpim.h"
#include "qpe/config.h"
#include "qpe/qpeapplication.h"
#include "qt/ymrapplication.h"
#include "qt/ymrcombobox.h"
#include "qt/ymrdialog.h"
#include "qt/ymrmainwindow.h"
#include "qt/ymrokcancelwidget.h"
#include "qt/ymrutil.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QHash>
#include <QStringView>
#include <QTextCodec>
#include <QTextStream>

#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <vector>

namespace {

const char delimiters[] = "\t ;,!:-|/";

Config appSettings()
{
    return Config(YMRPIM::applicationName());
}

const QString group = QStringLiteral("ExportOptions");

} // namespace

ExportDialog::ExportDialog(QWidget *parent, const char *name)
    : ExportDialogBase(parent, name, true)
{
    layOut();
    readSettings();
    delimiterChanged();
    okCancelWidget->hide();
    YMRApplication::showMaximized(this, true);
}

ExportDialog::~ExportDialog()
{
    writeSettings();
}

void ExportDialog::layOut()
{
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(3, 3, 3, 3);
    grid->setSpacing(2);
    int row = 0;
    grid->addWidget(TextLabel1, row, 0);
    grid->addWidget(type, row++, 1);
    grid->addWidget(TextLabel2, row, 0);
    if (YMRMainWindow::isPortrait()) {
        grid->addWidget(delimiter, row++, 1);
        grid->addWidget(other, row, 0);
        grid->addWidget(otherDelimiter, row++, 1);
    } else {
        auto *box = new QHBoxLayout();
        box->setContentsMargins(0, 0, 0, 0);
        box->setSpacing(2);
        box->addWidget(delimiter, 1);
        box->addWidget(other);
        box->addWidget(otherDelimiter, 1);
        grid->addLayout(box, row++, 1);
    }
    const std::pair<QLabel *, QWidget *> rows[] = {
        {TextLabel3, qualifier}, {TextLabel4, unicode}, {TextLabel5, dateFormat},
        {TextLabel6, timeFormat}, {TextLabel7, dateTimeFormat}};
    for (const auto &r : rows) {
        grid->addWidget(r.first, row, 0);
        grid->addWidget(r.second, row++, 1);
    }
    // on a narrow screen the long labels take two lines, leaving the
    // fields room for their patterns
    if (QPEApplication::screenRect().width() < 480) {
        for (QLabel *l : {TextLabel3, TextLabel8})
            l->setWordWrap(true);
    }
    auto *mlBox = new QHBoxLayout();
    mlBox->setContentsMargins(0, 0, 0, 0);
    mlBox->setSpacing(2);
    mlBox->addWidget(TextLabel8);
    mlBox->addWidget(ml, 2);
    grid->addLayout(mlBox, row++, 0, 1, 2);
    grid->setRowStretch(row++, 1);
    grid->addWidget(okCancelWidget, row, 0, 1, 2);
    grid->setColumnStretch(1, 1);
}

void ExportDialog::readSettings()
{
    Config cfg = appSettings();
    cfg.setGroup(group);
    dateFormat->setList(QStringLiteral("dateFormat"), cfg.readEntry(QStringLiteral("date")));
    timeFormat->setList(QStringLiteral("timeFormat"), cfg.readEntry(QStringLiteral("time")));
    dateTimeFormat->setList(QStringLiteral("dateTimeFormat"),
                            cfg.readEntry(QStringLiteral("datetime")));
    delimiter->setCurrentItem(cfg.readNumEntry(QStringLiteral("delimiter"), 0));
    unicode->setCurrentItem(cfg.readNumEntry(QStringLiteral("unicode"), 0));
    otherDelimiter->setText(cfg.readEntry(QStringLiteral("otherDelimiter"), QStringLiteral(" ")));
    other->setChecked(cfg.readNumEntry(QStringLiteral("other"), 0) != 0);
    // a qualifier stored empty means none, not the default
    const QString q = cfg.readEntry(QStringLiteral("textqualifier"), QStringLiteral("\""));
    YMRPIM::selectItem(qualifier, q, cfg.hasKey(QStringLiteral("textqualifier")));
    if (cfg.hasKey(QStringLiteral("multiline2")))
        YMRPIM::selectItem(ml, cfg.readEntry(QStringLiteral("multiline2")), true);
    else
        ml->setCurrentItem(cfg.readNumEntry(QStringLiteral("multiline1"), 0));
}

void ExportDialog::writeSettings()
{
    Config cfg = appSettings();
    cfg.setGroup(group);
    cfg.writeEntry(QStringLiteral("delimiter"), delimiter->currentItem());
    cfg.writeEntry(QStringLiteral("textqualifier"), qualifier->currentText());
    cfg.writeEntry(QStringLiteral("unicode"), unicode->currentItem());
    cfg.writeEntry(QStringLiteral("otherDelimiter"), otherDelimiter->text());
    cfg.writeEntry(QStringLiteral("other"), other->isChecked() ? 1 : 0);
    cfg.writeEntry(QStringLiteral("date"), dateFormat->format());
    cfg.writeEntry(QStringLiteral("time"), timeFormat->format());
    cfg.writeEntry(QStringLiteral("datetime"), dateTimeFormat->format());
    cfg.removeEntry(QStringLiteral("multiline2"));
    if (ml->currentText() != ml->text(ml->currentItem()))
        cfg.writeEntry(QStringLiteral("multiline2"), ml->currentText());
    cfg.writeEntry(QStringLiteral("multiline1"), ml->currentItem());
}

void ExportDialog::delimiterChanged()
{
    delimiter->setEnabled(!other->isChecked());
    otherDelimiter->setEnabled(other->isChecked());
}

void ExportDialog::values(QString &date, QString &time, QString &dateTime,
                          QString &textQualifier, QString &delim, QString &multiline) const
{
    date = dateFormat->format();
    time = timeFormat->format();
    dateTime = dateTimeFormat->format();
    textQualifier = qualifier->currentText();
    if (other->isChecked()) {
        delim = otherDelimiter->text();
    } else {
        const int i = delimiter->currentItem();
        delim = i >= 0 && i < int(sizeof delimiters) - 1 ? QString(QLatin1Char(delimiters[i]))
                                                         : QString();
    }
    if (delim.isEmpty())
        delim = QStringLiteral(" ");
    const int entry = ml->currentItem();
    if (ml->currentText() != ml->text(entry))
        multiline = ml->currentText();
    else if (entry == 0)
        multiline = QStringLiteral("\n");
    else if (entry == 1)
        multiline = QStringLiteral(" ");
    else
        multiline = ml->text(entry);
}

QString ExportDialog::exportFileName(const QString &baseName)
{
    Config cfg = appSettings();
    cfg.setGroup(group);
    const QString start = cfg.readEntry(QStringLiteral("path"), QDir::homePath());
    for (;;) {
        QString name = YMFileDialog::getSaveFileName(
            start, tr("All Files (*);;") + tr("CSV Files (*.csv);;"), nullptr, nullptr,
            tr("Export to CSV"), baseName + QStringLiteral(".csv"));
        if (name.isNull())
            return QString();
        if (QFileInfo(name).suffix() != QLatin1String("csv"))
            name += QStringLiteral(".csv");
        if (QFileInfo::exists(name)) {
            const int answer = YMRDialog::message2(
                tr("Export"),
                tr("The file: %1\nalready exists.\nDo you want to replace the existing file?")
                    .arg(QFileInfo(name).fileName()),
                "dialog_warning", tr("Replace"), "button_ok", tr("Cancel"), "button_cancel", 2, 2);
            if (answer != 1)
                continue;
        }
        cfg.writeEntry(QStringLiteral("path"), name);
        return name;
    }
}

void ExportDialog::setCodec(QTextStream *stream) const
{
    unicode->setCodec(stream);
}

namespace {

// A date pattern split once into literal runs and fields, so that a long
// export does not read the pattern again for every value; the values are
// those of YMRUtil::formatDateTime.
class CompiledPattern
{
public:
    explicit CompiledPattern(const QString &pattern)
    {
        QString pat = pattern;
        const int at = pat.indexOf(QLatin1String("AM/PM"));
        if (at >= 0) {
            pat.replace(at, 5, QLatin1Char('^'));
            m_twelveHour = true;
        }
        QString token;
        QString literal;
        auto flushToken = [&] {
            if (!token.isEmpty())
                m_pieces.push_back({false, token});
            token.clear();
        };
        for (const QChar c : qAsConst(pat)) {
            if (QStringLiteral("DMYhms^").contains(c)) {
                if (!literal.isEmpty()) {
                    m_pieces.push_back({true, literal});
                    literal.clear();
                }
                if (!token.isEmpty() && token.at(0) != c)
                    flushToken();
                token += c;
            } else {
                flushToken();
                literal += c;
            }
        }
        flushToken();
        if (!literal.isEmpty())
            m_pieces.push_back({true, literal});
    }

    void append(QString &out, const QDate &date, const QTime &time) const
    {
        if (!date.isValid() || !time.isValid())
            return;
        // the stored wall-clock values as they are: no time zone involved
        int year, month, day;
        date.getDate(&year, &month, &day);
        for (const Piece &p : m_pieces) {
            if (p.literal) {
                out += p.text;
                continue;
            }
            const int n = p.text.size();
            switch (p.text.at(0).unicode()) {
            case 'D':
                if (n > 2)
                    break;
                appendNumber(out, day, n == 2);
                continue;
            case 'M':
                if (n > 2)
                    break;
                appendNumber(out, month, n == 2);
                continue;
            case 'Y': {
                if (year >= 1000 && year <= 9999) {
                    if (n > 2)
                        appendNumber(out, year / 100, true);
                    appendNumber(out, year % 100, true);
                    continue;
                }
                const QString y = QString::number(year);
                out += n <= 2 ? y.right(2) : y;
                continue;
            }
            case 'h': {
                int h = time.hour();
                if (m_twelveHour)
                    h = h == 0 ? 12 : h > 12 ? h - 12 : h;
                appendNumber(out, h, n > 1);
                continue;
            }
            case 'm':
                appendNumber(out, time.minute(), n > 1);
                continue;
            case 's':
                appendNumber(out, time.second(), n > 1);
                continue;
            default:
                break;
            }
            // names and the AM/PM marker as the toolkit writes them
            out += YMRUtil::expandDateToken(QDateTime(date, time, Qt::UTC), p.text, m_twelveHour);
        }
    }

private:
    static void appendNumber(QString &out, int value, bool twoDigits)
    {
        if (value >= 0 && value < 100) {
            if (value >= 10 || twoDigits)
                out += QLatin1Char(char('0' + value / 10));
            out += QLatin1Char(char('0' + value % 10));
        } else {
            out += QString::number(value);
        }
    }

    struct Piece {
        bool literal;
        QString text;
    };
    std::vector<Piece> m_pieces;
    bool m_twelveHour = false;
};

// Rows for the stream's own codec: one text per row.
class TextRows
{
public:
    explicit TextRows(QTextStream &out) : m_out(out) { m_line.reserve(512); }
    void append(const QChar *s, int n) { m_line.append(s, n); }
    void append(const QString &s) { m_line.append(s); }
    void appendPiece(const QString &s, const QByteArray &) { m_line.append(s); }
    void append(const QChar *s, int n, QChar doubled)
    {
        int start = 0;
        for (int i = 0; i < n; ++i) {
            if (s[i] == doubled) {
                m_line.append(s + start, i + 1 - start);
                m_line.append(s[i]);
                start = i + 1;
            }
        }
        m_line.append(s + start, n - start);
    }
    void endRow()
    {
        m_out << m_line;
        m_line.truncate(0);
    }
    void finish() {}

private:
    QTextStream &m_out;
    QString m_line;
};

// Rows of a UTF-8 stream without a byte order mark: encoded here straight
// into a block that goes to the device when full, the bytes the stream's
// codec would make. A failed write sets the stream's status.
class Utf8Rows
{
public:
    explicit Utf8Rows(QTextStream &out) : m_out(out), m_device(out.device())
    {
        m_block.resize(BlockSize);
        m_data = m_block.data();
    }
    void append(const QString &s) { append(s.constData(), s.size()); }
    void append(const QChar *s, int n) { encode(s, n, -1); }
    // A short text whose UTF-8 is at hand (taken when it is ASCII).
    void appendPiece(const QString &s, const QByteArray &utf8)
    {
        const int n = utf8.size();
        if (m_highSurrogate || n != s.size() || m_used + n > m_block.size()) {
            append(s);
            return;
        }
        char *p = m_data + m_used;
        if (n == 1)
            *p = utf8.at(0);
        else
            std::memcpy(p, utf8.constData(), size_t(n));
        m_used += n;
    }
    // Each occurrence of the character doubled written twice.
    void append(const QChar *s, int n, QChar doubled) { encode(s, n, doubled.unicode()); }
    void endRow()
    {
        if (m_used >= BlockSize / 2)
            writeBlock();
    }
    void finish() { writeBlock(); }

private:
    enum { BlockSize = 1 << 17 };

    // UTF-8 of the characters; those equal to twice (-1: none) twice.
    void encode(const QChar *s, int n, int twice)
    {
        // at most six bytes a character: three, doubled
        if (m_used + 6 * n + 4 > m_block.size()) {
            writeBlock();
            if (6 * n + 4 > m_block.size()) {
                m_block.resize(6 * n + 4);
                m_data = m_block.data();
            }
        }
        char *p = m_data + m_used;
        int i = 0;
        if (m_highSurrogate) {
            // a pair split between two appends
            if (n > 0 && s[0].isLowSurrogate()) {
                p = putCodePoint(p, QChar::surrogateToUcs4(m_highSurrogate, s[0].unicode()));
                i = 1;
            } else if (n > 0) {
                *p++ = '?';
            }
            if (n > 0)
                m_highSurrogate = 0;
        }
        for (; i < n; ++i) {
            // a run of ASCII that needs no doubling, the bulk of a book:
            // four characters a step while a word holds no other
            const ushort *u = reinterpret_cast<const ushort *>(s);
#ifdef __SSE2__
            const __m128i high = _mm_set1_epi16(short(0xff80));
            const __m128i special = _mm_set1_epi16(short(twice));
            const __m128i zero = _mm_setzero_si128();
            while (i + 8 <= n) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(u + i));
                const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(v, high), zero);
                const __m128i ok = _mm_andnot_si128(_mm_cmpeq_epi16(v, special), ascii);
                if (_mm_movemask_epi8(ok) != 0xffff)
                    break;
                _mm_storel_epi64(reinterpret_cast<__m128i *>(p), _mm_packus_epi16(v, v));
                p += 8;
                i += 8;
            }
#endif
            while (i + 4 <= n) {
                quint64 w;
                std::memcpy(&w, u + i, sizeof w);
                if (w & Q_UINT64_C(0xff80ff80ff80ff80))
                    break;
                const quint64 x = w ^ (Q_UINT64_C(0x0001000100010001) * quint16(twice));
                if ((x - Q_UINT64_C(0x0001000100010001)) & ~x & Q_UINT64_C(0x8000800080008000))
                    break;
                p[0] = char(w);
                p[1] = char(w >> 16);
                p[2] = char(w >> 32);
                p[3] = char(w >> 48);
                p += 4;
                i += 4;
            }
            while (i < n && u[i] < 0x80 && int(u[i]) != twice)
                *p++ = char(u[i++]);
            if (i == n)
                break;
            const ushort c = s[i].unicode();
            if (c < 0x80) {
                *p++ = char(c);
                if (c == twice)
                    *p++ = char(c);
            } else if (c < 0x800) {
                for (int k = c == twice ? 2 : 1; k > 0; --k) {
                    *p++ = char(0xc0 | (c >> 6));
                    *p++ = char(0x80 | (c & 0x3f));
                }
            } else if (!QChar::isSurrogate(c)) {
                for (int k = c == twice ? 2 : 1; k > 0; --k) {
                    *p++ = char(0xe0 | (c >> 12));
                    *p++ = char(0x80 | ((c >> 6) & 0x3f));
                    *p++ = char(0x80 | (c & 0x3f));
                }
            } else if (QChar::isHighSurrogate(c) && i + 1 == n) {
                m_highSurrogate = c;
            } else if (QChar::isHighSurrogate(c) && s[i + 1].isLowSurrogate()) {
                p = putCodePoint(p, QChar::surrogateToUcs4(c, s[i + 1].unicode()));
                ++i;
            } else {
                *p++ = '?';   // as the codec marks a lone surrogate
            }
        }
        m_used = int(p - m_data);
    }

    static char *putCodePoint(char *p, uint u)
    {
        *p++ = char(0xf0 | (u >> 18));
        *p++ = char(0x80 | ((u >> 12) & 0x3f));
        *p++ = char(0x80 | ((u >> 6) & 0x3f));
        *p++ = char(0x80 | (u & 0x3f));
        return p;
    }

    void writeBlock()
    {
        if (m_used > 0 && m_device->write(m_data, m_used) != m_used)
            m_out.setStatus(QTextStream::WriteFailed);
        m_used = 0;
    }

    QTextStream &m_out;
    QIODevice *m_device;
    QByteArray m_block;
    char *m_data = nullptr;   // m_block's bytes
    int m_used = 0;
    ushort m_highSurrogate = 0;
};

// The quoting of one export: the rules of YMRPIM::csvQuote, with the
// qualifier and delimiter looked at once.
struct Quoting {
    Quoting(const QString &qualifier, const QString &delim)
        : qualifier(qualifier), delim(delim), qualifierUtf8(plainUtf8(qualifier)),
          delimUtf8(plainUtf8(delim))
    {
    }
    // Null for a text with surrogates, which pair up with their neighbours.
    static QByteArray plainUtf8(const QString &s)
    {
        for (const QChar c : s) {
            if (c.isSurrogate())
                return QByteArray();
        }
        return s.toUtf8();
    }
    const QByteArray &utf8Of(const QString &q) const
    {
        return &q == &quote ? quoteUtf8 : qualifierUtf8;
    }
    // The qualifier a field takes: the given one, else a quote when the
    // field holds a line break, a quote or the delimiter (an empty
    // delimiter is in every text).
    const QString &qualifierFor(QStringView text) const
    {
        if (!qualifier.isEmpty())
            return qualifier;
        const QChar d = delim.size() == 1 ? delim.at(0) : QChar(QLatin1Char('"'));
        for (const QChar c : text) {
            if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('"') || c == d)
                return quote;
        }
        if (delim.size() != 1 && text.indexOf(QStringView(delim)) >= 0)
            return quote;
        return qualifier;
    }

    const QString qualifier;
    const QString delim;
    const QString quote = QStringLiteral("\"");
    const QByteArray qualifierUtf8;
    const QByteArray delimUtf8;
    const QByteArray quoteUtf8 = QByteArrayLiteral("\"");
};

// One field, after the delimiter unless it is the row's first.
template <typename Rows>
void putField(Rows &out, QStringView text, const Quoting &quoting, bool first)
{
    if (!first)
        out.appendPiece(quoting.delim, quoting.delimUtf8);
    const QString &q = quoting.qualifierFor(text);
    if (q.isEmpty()) {
        out.append(text.data(), int(text.size()));
        return;
    }
    out.appendPiece(q, quoting.utf8Of(q));
    if (q.size() == 1) {
        // the qualifier doubled inside the field
        out.append(text.data(), int(text.size()), q.at(0));
    } else if (text.indexOf(QStringView(q)) >= 0) {
        out.append(text.toString().replace(q, q + q));
    } else {
        out.append(text.data(), int(text.size()));
    }
    out.appendPiece(q, quoting.utf8Of(q));
}

// A stamp's text, made again only when the stamp differs from the last one.
struct StampText {
    QDate date;
    QTime time;
    QString text;
    bool made = false;

    const QString &of(const QDate &d, const QTime &t, const CompiledPattern &pattern)
    {
        if (!made || d != date || t != time) {
            date = d;
            time = t;
            text.truncate(0);
            pattern.append(text, d, t);
            made = true;
        }
        return text;
    }
};

template <typename Rows>
void putRows(Rows &out, const QList<PIMRecord *> &records, const QString &date,
             const QString &dateTime, const Quoting &quoting, const QString &multiline)
{
    bool first = true;
    for (const QString &label :
         {ExportDialog::tr("Date"), ExportDialog::tr("Type"), ExportDialog::tr("Amount"),
          ExportDialog::tr("Currency"), ExportDialog::tr("City"), ExportDialog::tr("Account"),
          ExportDialog::tr("Description"), ExportDialog::tr("Created Date"),
          ExportDialog::tr("Updated Date"), ExportDialog::tr("Categories")}) {
        putField(out, label, quoting, first);
        first = false;
    }
    const QChar newline(QLatin1Char('\n'));
    out.append(&newline, 1);
    out.endRow();

    const CompiledPattern datePattern(date);
    const CompiledPattern stampPattern(dateTime);
    // many expenses share a day; the date texts are made once per day
    QHash<qint64, QString> dayTexts;
    QString text;
    StampText created, updated;
    QString description;
    for (PIMRecord *r : records) {
        const auto *t = dynamic_cast<const Task *>(r);
        if (!t)
            continue;
        const qint64 day = t->date.toJulianDay();
        auto found = dayTexts.constFind(day);
        if (found == dayTexts.constEnd()) {
            text.truncate(0);
            datePattern.append(text, t->date, QTime(0, 0));
            found = dayTexts.insert(day, text);
        }
        putField(out, *found, quoting, true);
        putField(out, t->type, quoting, false);
        putField(out, t->amount, quoting, false);
        putField(out, t->currency, quoting, false);
        putField(out, t->city, quoting, false);
        putField(out, t->account, quoting, false);
        if (t->description.contains(newline)) {
            // each line feed as the multi-line replacement
            description.truncate(0);
            const QChar *s = t->description.constData();
            const int n = t->description.size();
            int start = 0;
            for (int i = 0; i < n; ++i) {
                if (s[i] == newline) {
                    description.append(s + start, i - start);
                    description.append(multiline);
                    start = i + 1;
                }
            }
            description.append(s + start, n - start);
            putField(out, description, quoting, false);
        } else {
            putField(out, t->description, quoting, false);
        }
        QDate d;
        QTime tm;
        t->createdParts(d, tm);
        putField(out, created.of(d, tm, stampPattern), quoting, false);
        t->updatedParts(d, tm);
        putField(out, updated.of(d, tm, stampPattern), quoting, false);
        const QStringList titles = t->categoryTitles();
        if (titles.isEmpty())
            putField(out, QStringView(), quoting, false);
        else
            putField(out, titles.join(QStringLiteral(", ")), quoting, false);
        out.append(&newline, 1);
        out.endRow();
    }
    out.finish();
}

} // namespace

void ExportDialog::writeRows(QTextStream &out, const QList<PIMRecord *> &records,
                             const QString &date, const QString &dateTime,
                             const QString &textQualifier, const QString &delim,
                             const QString &multiline)
{
    const Quoting quoting(textQualifier, delim);
    const QTextCodec *codec = out.codec();
    // UTF-8 (MIB 106) with no byte order mark to write and no padding:
    // the bytes need no trip through the stream's text buffer
    if (out.device() && codec && codec->mibEnum() == 106 && !out.generateByteOrderMark()
        && out.fieldWidth() == 0) {
        out.flush();
        Utf8Rows rows(out);
        putRows(rows, records, date, dateTime, quoting, multiline);
    } else {
        TextRows rows(out);
        putRows(rows, records, date, dateTime, quoting, multiline);
    }
}
