// "Panel seen" records throttled: a table of sightings on a clock moved by
// hand, each written down or not, and what the library holds after them.

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "jobs/seen_recorder.h"
#include "library/panel_library.h"
#include "session/clock.h"

namespace {

class HandClock final : public Clock {
public:
    QDateTime Now() const override { return now; }
    QDateTime now;
};

const QDateTime kStart(QDate(2026, 12, 10), QTime(9, 0), Qt::UTC);

}  // namespace

TEST(SeenRecorder, AtMostOnceAMinutePerSerialUnlessChanged)
{
    struct Sighting {
        int second;  // after kStart
        Identification panel;
        bool written;
    };
    const Identification a{51, 0x12, 1001};
    const Identification aUpdated{51, 0x13, 1001};
    const Identification b{51, 0x12, 2002};
    const Identification unknownModel{250, 0x12, 3003};
    const Sighting sightings[] = {
        {0, a, true},           // new
        {1, a, false},          // the next answer, a second later
        {59, a, false},
        {60, a, true},          // a minute on
        {61, aUpdated, true},   // its firmware changed
        {62, b, true},          // another panel on the port
        {63, aUpdated, false},  // back to the first: its own minute counts
        {121, aUpdated, true},
        {121, unknownModel, false},
        {100, aUpdated, true},  // the clock set back
    };
    QTemporaryDir dir;
    auto opened = PanelLibrary::Open(*ParseLibraryLocation(dir.filePath("library.sqlite")).location);
    ASSERT_TRUE(opened.Ok());
    PanelLibrary& library = **opened.value;
    HandClock clock;
    SeenRecorder recorder(library, clock);
    for (const Sighting& s : sightings) {
        clock.now = kStart.addSecs(s.second);
        EXPECT_EQ(recorder.Record(s.panel), s.written) << "at " << s.second << " s, serial " << s.panel.serial;
    }
    const auto first = library.Panel(a.serial);
    ASSERT_TRUE(first.Ok() && first.value->has_value());
    EXPECT_EQ((*first.value)->version, aUpdated.version);
    EXPECT_EQ((*first.value)->lastSeen, kStart.addSecs(121));  // never back in time
    const auto unknown = library.Panel(unknownModel.serial);
    ASSERT_TRUE(unknown.Ok());
    EXPECT_FALSE(unknown.value->has_value());
}
