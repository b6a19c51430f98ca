// The template index reads arbitrary bytes beside a template book of three
// records; the index it writes reads back to the same names.
#include "fuzzcommon.h"
#include "keptcopies.h"

#include "pim/task.h"
#include "pim/taskmanager.h"
#include "pim/templatemanager.h"

#include <QDir>
#include <QFileInfo>

namespace {
const char Book[] = "FOLDER\nTOTAL=3\nEND\n"
                    "UID=11111111-1111-1111-1111-111111111111\nTYPE=a\nEND\n"
                    "UID=22222222-2222-2222-2222-222222222222\nTYPE=b\nEND\n"
                    "UID=33333333-3333-3333-3333-333333333333\nTYPE=c\nEND\n";
}

FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::removeKeptCopies();
    QString bookPath;
    {
        TaskManager probe(QStringLiteral("fuzz"), true);
        bookPath = probe.fileName();
    }
    QDir().mkpath(QFileInfo(bookPath).path());
    fuzz::writeFile(bookPath, Book);
    fuzz::writeFile(bookPath + QStringLiteral(".idx"), fuzz::bytesOf(data, size));
    QStringList names;
    {
        TemplateManager templates(QStringLiteral("fuzz"));
        names = templates.names();
        for (const QString &name : names) {
            if (!name.isEmpty() && !templates.find(name))
                fuzz::finding("a listed template without its record", name.toUtf8());
        }
        templates.save(names);
    }
    TemplateManager again(QStringLiteral("fuzz"));
    if (again.names() != names)
        fuzz::finding("the saved index reads back other names", names.join('\n').toUtf8(),
                      again.names().join('\n').toUtf8());
    return 0;
}
