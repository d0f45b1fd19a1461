// Table engine on 100,000 holders and 50,000 advisors.
#include "platform/db/Table.h"
#include "support/Register.h"

#include <QCoreApplication>

using namespace zelta::bench;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    double build = 0;
    std::unique_ptr<Register> reg;
    build = timeMs([&] { reg = std::make_unique<Register>(RegisterShape{}); });
    report(QStringLiteral("build register (100,000 holders, 50,000 advisors)"), build, QStringLiteral("ms"));
    auto& dm = reg->dm();
    plat::db::Table& bol = *dm.Tb_Bolsistas;

    report(QStringLiteral("open holder cursor (name order)"), timeMs([&] { bol.open(); }), QStringLiteral("ms"));
    int rows = 0;
    double walk = 1e9;
    for (int run = 0; run < 3; ++run) {
        rows = 0;
        walk = std::min(walk, timeMs([&] {
                            for (bol.first(); !bol.eof(); bol.next())
                                ++rows;
                        }));
    }
    report(QStringLiteral("full walk in name order (%1 rows), best of 3").arg(rows), walk, QStringLiteral("ms"),
           QStringLiteral("< 200 ms"));

    constexpr int kLookups = 2000;
    const double nearest = timeMs([&] {
        for (int i = 0; i < kLookups; ++i)
            bol.findNearest({Register::name(unsigned(i) * 7919u).left(1 + i % 9)});
    });
    report(QStringLiteral("nearest look-up by name"), nearest / kLookups, QStringLiteral("ms"), QStringLiteral("< 1 ms"));

    bol.setIndexName(QStringLiteral("Id_Bolsista_Cpf"));
    int found = 0;
    const double exact = timeMs([&] {
        for (int i = 0; i < kLookups; ++i)
            found += bol.findKey({Register::cpf(200000000 + (i * 37) % 100000)}) ? 1 : 0;
    });
    report(QStringLiteral("exact look-up by CPF (%1 found)").arg(found), exact / kLookups, QStringLiteral("ms"),
           QStringLiteral("< 1 ms"));

    bol.setIndexName(QStringLiteral("Id_CpfOrientador"));
    int inRange = 0;
    const double range = timeMs([&] {
        for (int i = 0; i < kLookups; ++i) {
            const QVariantList key{Register::cpf(100000000 + i), qint64(i + 1)};
            bol.setRange(key, key);
            for (bol.first(); !bol.eof(); bol.next())
                ++inRange;
        }
    });
    report(QStringLiteral("range over one advisor's holders, walked (%1 holders in all)").arg(inRange), range / kLookups,
           QStringLiteral("ms"), QStringLiteral("< 1 ms"));
    bol.cancelRange();

    const double count = timeMs([&] { rows = bol.recordCount(); });
    report(QStringLiteral("record count (%1)").arg(rows), count, QStringLiteral("ms"));

    bol.setIndexFieldNames(QStringLiteral("Nome"));
    bol.first();
    constexpr int kPosts = 200;
    const double post = timeMs([&] {
        for (int i = 0; i < kPosts; ++i) {
            bol.edit();
            bol.field(QStringLiteral("CODIGO_AGENCIA")).setAsString(QStringLiteral("%1").arg(i % 10000, 4, 10, QLatin1Char('0')));
            bol.post();
            bol.next();
        }
    });
    report(QStringLiteral("edit and post"), post / kPosts, QStringLiteral("ms"), QStringLiteral("< 5 ms"));

    plat::db::Table& ori = *dm.Tb_Orientador;
    report(QStringLiteral("open advisor cursor (name order)"), timeMs([&] { ori.open(); }), QStringLiteral("ms"));
    rows = 0;
    const double walkOri = timeMs([&] {
        for (ori.first(); !ori.eof(); ori.next())
            ++rows;
    });
    report(QStringLiteral("full walk of advisors in name order (%1 rows)").arg(rows), walkOri, QStringLiteral("ms"));
    return 0;
}
