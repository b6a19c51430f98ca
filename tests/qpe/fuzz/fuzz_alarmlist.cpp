// The alarm list (<root>/Settings/alarms) is a text file anyone can edit.
// Whatever it holds, the list the server keeps writes a file that reads back
// as the same list and writes the same bytes again.
#include "fuzzfiles.h"
#include "keptcopies.h"

#include "qpe/alarmserver.h"

#include <QDir>

namespace {

// A change makes the server write its list; this one is undone at once.
const AlarmServer::Alarm Probe{QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)),
                               "fuzz/probe", "probe()", 7};

QByteArray rewrite(AlarmServer &server)
{
    server.add(Probe.when, Probe.channel, Probe.message, Probe.data);
    server.remove(Probe.when, Probe.channel, Probe.message, Probe.data);
    return fuzz::readFile(server.fileName());
}

QByteArray describe(const QList<AlarmServer::Alarm> &list)
{
    QByteArray out;
    for (const AlarmServer::Alarm &a : list)
        out += a.when.toString(Qt::ISODateWithMs).toLatin1() + ' ' + a.channel + ' ' + a.message
               + ' ' + QByteArray::number(a.data) + '\n';
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::useRoot();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString dir = fuzz::root().filePath(QStringLiteral("alarms"));
    QDir().mkpath(dir);
    fuzz::removeKeptCopies();
    fuzz::writeFile(dir + QStringLiteral("/alarms"), fuzz::bytesOf(data, size));
    QList<AlarmServer::Alarm> read;
    QByteArray first;
    {
        AlarmServer server(dir);
        read = server.pending();
        if (read.contains(Probe))
            return 0;
        for (int i = 1; i < read.size(); ++i) {
            if (read.at(i).when < read.at(i - 1).when)
                fuzz::finding("the list is not in time order", describe(read));
        }
        first = rewrite(server);
    }
    AlarmServer again(dir);
    if (again.pending() != read)
        fuzz::finding("the written list reads back otherwise", describe(read),
                      describe(again.pending()));
    const QByteArray second = rewrite(again);
    if (second != first)
        fuzz::finding("save -> load -> save changed the bytes", first, second);
    return 0;
}
