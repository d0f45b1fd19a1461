// Writes the sample previous-year file that the users' guide and the README
// use: zelta_exemplo ARQUIVO (resources/exemplo/EXEMPLO.TEX in the source tree).
#include "RecoverySample.h"

#include <QCoreApplication>
#include <QSaveFile>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 1) {
        err << "Uso: zelta_exemplo ARQUIVO\n";
        return 2;
    }
    QSaveFile file(args.first());
    if (!file.open(QIODevice::WriteOnly) || file.write(zelta::sample::sampleFile()) < 0 || !file.commit()) {
        err << QStringLiteral("Não foi possível gravar %1: %2\n").arg(args.first(), file.errorString());
        return 2;
    }
    return 0;
}
