#include "platform/system/Options.h"

namespace plat::sys {

QString takeOption(QStringList& args, const QString& name, bool* ok)
{
    *ok = true;
    const QString joined = name + u'=';
    QString value;
    for (int i = 0; i < args.size();) {
        if (args[i] == name) {
            if (i + 1 >= args.size()) {
                *ok = false;
                args.removeAt(i);
                continue;
            }
            value = args[i + 1];
            args.remove(i, 2);
            if (value.isEmpty())
                *ok = false;
        } else if (args[i].startsWith(joined)) {
            value = args[i].mid(joined.size());
            args.removeAt(i);
            if (value.isEmpty())
                *ok = false;
        } else {
            ++i;
        }
    }
    return value;
}

CommandLine readCommandLine(const QStringList& args)
{
    CommandLine line;
    line.rest = args;
    line.dataDir = takeOption(line.rest, QStringLiteral("--dados"), &line.dataValid);
    return line;
}

} // namespace plat::sys
