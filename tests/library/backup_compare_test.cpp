// Two snapshots compared as the window and the report show them: block by
// block, then RF sensor slot by slot, only where a slot differs.

#include <QTest>

#include "core/rf/rf_sensor_record.h"
#include "library/backup_compare.h"

namespace {

using Table = std::map<int, RfSensorRecord>;

RfSensorRecord Pir(std::uint32_t serial, std::uint16_t zone) { return {serial, 1, {255, 255, 255}, zone, 1}; }

RfSensorTable Packed(const Table& records)
{
    RfSensorTable table;
    for (const auto& [slot, record] : records) {
        const auto bytes = PackRfSensorRecord(record);
        table.emplace(slot, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    }
    return table;
}

QString Shown(const std::vector<BackupDifference>& differences)
{
    QStringList lines;
    for (const BackupDifference& difference : differences) {
        const FieldChange& change = difference.change;
        lines << QStringLiteral("%1|%2|%3|%4").arg(difference.where, QString::fromStdString(change.caption),
                                                  QString::fromStdString(change.before),
                                                  QString::fromStdString(change.after));
    }
    return lines.join('\n');
}

// Three sensors kept as they were around the slot that changes.
const Table kSite{{1, Pir(100001, 5)}, {2, Pir(100002, 6)}, {3, Pir(100003, 7)}, {2048, Pir(102048, 8)}};

}  // namespace

class BackupCompareTest : public QObject {
    Q_OBJECT
private slots:
    void onlyTheSlotsThatDifferAreListed_data();
    void onlyTheSlotsThatDifferAreListed();
    void keyedByBlockIdAndSlot();
};

void BackupCompareTest::onlyTheSlotsThatDifferAreListed_data()
{
    QTest::addColumn<RfSensorTable>("before");
    QTest::addColumn<RfSensorTable>("after");
    QTest::addColumn<QString>("differences");
    Table zone = kSite;
    zone[2].zone = 9;
    Table fob = kSite;
    fob[3] = {100003, 3, {0, 1, 255}, 7, 1};
    Table fobPressed = fob;
    fobPressed[3].buttons[1] = 2;
    Table added = kSite;
    added[4] = Pir(100004, 12);
    Table fobAdded = kSite;
    fobAdded[5] = {100005, 3, {0, 1, 255}, 7, 1};
    Table replaced = kSite;
    replaced[2] = Pir(200002, 6);
    RfSensorTable reserved = Packed(kSite);
    reserved[2][4] = 0;  // a byte no field shows

    QTest::newRow("nothing changed") << Packed(kSite) << Packed(kSite) << QString();
    QTest::newRow("one zone among unchanged sensors") << Packed(kSite) << Packed(zone) << "Sensor RF 2|Zona|6|9";
    QTest::newRow("a key fob's button") << Packed(fob) << Packed(fobPressed)
                                        << "Sensor RF 3|Função botão 2|DESARMAR|ARMAR/DESARMAR";
    QTest::newRow("a sensor put in") << Packed(kSite) << Packed(added)
                                     << QStringLiteral("Sensor RF 4|Sensor|-|100004 · Sensor PIR (presença) · zona 12 · usuário 1");
    QTest::newRow("a sensor taken out") << Packed(added) << Packed(kSite)
                                        << QStringLiteral("Sensor RF 4|Sensor|100004 · Sensor PIR (presença) · zona 12 · usuário 1|-");
    QTest::newRow("a sensor replaced") << Packed(kSite) << Packed(replaced)
                                       << QStringLiteral("Sensor RF 2|Sensor|100002 · Sensor PIR (presença) · zona 6 · usuário "
                                                         "1|200002 · Sensor PIR (presença) · zona 6 · usuário 1");
    QTest::newRow("a key fob put in") << Packed(kSite) << Packed(fobAdded)
                                      << QStringLiteral("Sensor RF 5|Sensor|-|100005 · Chaveiro 3 botões · zona 7 · usuário 1 · "
                                                        "botões ARMAR, DESARMAR, DESABILITADO");
    QTest::newRow("reserved bytes only") << Packed(kSite) << reserved
                                         << "Sensor RF 2|Bytes|01 86 A2 01 FF FF FF FF 00 06 00 01 FF FF FF FF|"
                                            "01 86 A2 01 00 FF FF FF 00 06 00 01 FF FF FF FF";
}

// Slots that did not change are never listed, and the one that did always
// is: by field when the same sensor changed, whole when another one took
// the slot or it was emptied or filled.
void BackupCompareTest::onlyTheSlotsThatDifferAreListed()
{
    QFETCH(RfSensorTable, before);
    QFETCH(RfSensorTable, after);
    QFETCH(QString, differences);
    const PanelBackup blocks{{51, 0x12, 2024011501}, {}, {{2, {2, 1, 0x2C, 0, 0x3C}}}, std::nullopt};
    PanelBackup old = blocks;
    old.rf = before;
    PanelBackup now = blocks;
    now.rf = after;
    QCOMPARE(Shown(CompareBackups(old, now)), differences);
    // Without the sensors on one side, only the blocks compare.
    now.rf.reset();
    QCOMPARE(Shown(CompareBackups(old, now)), QString());
}

// A block and a sensor changed among unchanged ones are found by their id
// and slot, whatever their captions; the command line's form tells a sensor
// taken out field by field.
void BackupCompareTest::keyedByBlockIdAndSlot()
{
    Table gone = kSite;
    gone.erase(1);
    gone[3].zone = 11;
    const PanelBackup old{{51, 0x12, 2024011501}, {}, {{2, {2, 1, 0x2C, 0, 0x3C}}, {26, {26, 0}}}, Packed(kSite)};
    PanelBackup now = old;
    now.blocks[26] = {26, 1};
    now.rf = Packed(gone);

    const BackupDifferences whole = CompareConfigurations(old, now);
    QCOMPARE(whole.blocks.size(), std::size_t{1});
    QCOMPARE(int(whole.blocks[0].id), 26);
    QVERIFY(whole.sensorsCompared);
    QCOMPARE(whole.sensors.size(), std::size_t{2});
    QCOMPARE(whole.sensors[0].slot, 1);
    QCOMPARE(whole.sensors[0].changes.size(), std::size_t{1});
    QCOMPARE(whole.sensors[0].changes[0].caption, std::string("Sensor"));
    QCOMPARE(whole.sensors[1].slot, 3);

    const BackupDifferences byField = CompareConfigurations(old, now, SensorChanges::ByField);
    QCOMPARE(byField.sensors[0].changes[0].caption, std::string("Serial do sensor"));
    QCOMPARE(byField.sensors[0].changes[0].before, std::string("100001"));

    QVERIFY(CompareConfigurations(old, old).Empty());
    now.rf.reset();
    QVERIFY(!CompareConfigurations(old, now).sensorsCompared);
}

QTEST_MAIN(BackupCompareTest)
#include "backup_compare_test.moc"
