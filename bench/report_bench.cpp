// The installation report at its largest: a model 56 with all 2048 RF
// slots enrolled, alone; then with every sensor replaced since the snapshot
// before (the longest changes section) and the customer fields at their
// bounds; then with fields of megabytes, as a library written by an older
// tool may hold. Prints, for the PDF and the HTML, the pages, and the
// median wall and processor time of a few runs.
//   report_bench [runs=3]

#include <QElapsedTimer>
#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "core/config/panel_backup.h"
#include "core/rf/rf_sensor_record.h"
#include "library/installation_report.h"
#include "sim/virtual_panel.h"

namespace {

RfSensorTable Sensors(std::uint32_t firstSerial)
{
    RfSensorTable table;
    for (int slot = 1; slot <= kRfSensorTableSize; ++slot) {
        RfSensorRecord record{};
        record.serial = firstSerial + static_cast<std::uint32_t>(slot);
        record.kind = static_cast<std::uint8_t>(1 + slot % 3);
        record.buttons = {0, 1, 2};
        record.zone = static_cast<std::uint16_t>(5 + slot % 64);
        record.user = 1;
        const auto bytes = PackRfSensorRecord(record);
        table.emplace(slot, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    }
    return table;
}

ReportInput FullTable()
{
    VirtualPanel panel(VirtualPanel::Options{.model = 56});
    ReportInput input;
    input.snapshot = PanelBackup{{56, 0x12, 777}, TakenMs(QDateTime::currentDateTimeUtc()), {}, Sensors(100000)};
    for (std::uint8_t id : ConfigurationBlockIds()) input.snapshot.blocks[id] = *panel.Block(id);
    input.toolVersion = QStringLiteral("1.08");
    input.printed = QDateTime::currentDateTimeUtc();
    return input;
}

void Fill(ReportInput& input, qsizetype customer, qsizetype address, qsizetype notes)
{
    input.panel.customer = QString(customer, QChar(u'c'));
    input.panel.address = QString(address, QChar(u'e'));
    input.panel.notes = QStringLiteral("linha de observação\n").repeated(notes / 20);
}

template <typename Make>
void Time(const char* what, int runs, Make make)
{
    std::vector<double> wall;
    std::vector<double> processor;
    int pages = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const std::clock_t start = std::clock();
        pages = make();
        processor.push_back(static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
        wall.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(processor.begin(), processor.end());
    std::printf("%-58s %4d pages  %.2f s (processor %.2f s)\n", what, pages, wall[wall.size() / 2],
                processor[processor.size() / 2]);
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;

    const ReportInput alone = FullTable();
    ReportInput replaced = FullTable();
    replaced.previous = replaced.snapshot;
    replaced.previous->rf = Sensors(300000);
    Fill(replaced, 200, 300, 4000);
    ReportInput huge = replaced;
    Fill(huge, 2'000'000, 1'000'000, 600'000);

    Time("PDF: 2048 RF sensors", runs, [&] { return ReportToPdf(alone).pages; });
    Time("PDF: 2048 sensors replaced, fields at their bounds", runs, [&] { return ReportToPdf(replaced).pages; });
    Time("PDF: the same, fields of 2 MB, 1 MB and 600 kB", runs, [&] { return ReportToPdf(huge).pages; });
    Time("HTML: the same", runs, [&] { return static_cast<int>(ReportHtml(huge).size() > 0); });
    return 0;
}
