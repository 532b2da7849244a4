// The 16-byte sensor record, the button functions, the RfSensorCommand
// payloads and block 3 in both forms.

#include <gtest/gtest.h>

#include <vector>

#include "core/config/rf_config_block.h"
#include "core/rf/rf_sensor_record.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ToBytes(const auto& array)
{
    return Bytes(array.begin(), array.end());
}

RfSensorRecord Record(std::uint32_t serial, SensorKind kind, std::array<std::uint8_t, 3> buttons, std::uint16_t zone,
                      std::uint16_t user)
{
    return {serial, static_cast<std::uint8_t>(kind), buttons, zone, user};
}

TEST(RfSensorRecord, PacksTheButtonsInTheOrderTwoOneThree)
{
    const struct {
        const char* name;
        RfSensorRecord record;
        Bytes bytes;
    } cases[] = {
        {"key fob", Record(4194303, SensorKind::KeyFob, {1, 2, 3}, 5, 1),
         {0x3F, 0xFF, 0xFF, 3, 255, 2, 1, 3, 0x00, 0x05, 0x00, 0x01, 255, 255, 255, 255}},
        {"key fob, button 1 disabled", Record(0x123456, SensorKind::KeyFob, {255, 0, 12}, 65535, 0x0102),
         {0x12, 0x34, 0x56, 3, 255, 0, 255, 12, 0xFF, 0xFF, 0x01, 0x02, 255, 255, 255, 255}},
        {"PIR: 255 in offsets 4 to 7 whatever the buttons", Record(1, SensorKind::Pir, {0, 1, 2}, 300, 7),
         {0x00, 0x00, 0x01, 1, 255, 255, 255, 255, 0x01, 0x2C, 0x00, 0x07, 255, 255, 255, 255}},
        {"door", Record(77, SensorKind::Door, {0, 0, 0}, 6, 2),
         {0x00, 0x00, 0x4D, 2, 255, 255, 255, 255, 0x00, 0x06, 0x00, 0x02, 255, 255, 255, 255}},
        // A negative typed serial keeps its low 24 bits.
        {"serial -1", Record(static_cast<std::uint32_t>(-1), SensorKind::Pir, {}, 5, 1),
         {0xFF, 0xFF, 0xFF, 1, 255, 255, 255, 255, 0x00, 0x05, 0x00, 0x01, 255, 255, 255, 255}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToBytes(PackRfSensorRecord(c.record)), c.bytes) << c.name;
        const auto back = UnpackRfSensorRecord(c.bytes.data(), c.bytes.size());
        ASSERT_TRUE(back) << c.name;
        EXPECT_EQ(back->serial, c.record.serial & 0xFFFFFF) << c.name;
        EXPECT_EQ(back->kind, c.record.kind) << c.name;
        EXPECT_EQ(back->zone, c.record.zone) << c.name;
        EXPECT_EQ(back->user, c.record.user) << c.name;
        if (c.record.kind == 3) {
            EXPECT_EQ(back->buttons, c.record.buttons) << c.name;
        }
    }
}

TEST(RfSensorRecord, UnpacksOnlySixteenBytesAndJudgesTheSerial)
{
    const Bytes record = {0x01, 0xE2, 0x40, 3, 0, 9, 8, 200, 0x12, 0x34, 0xFF, 0xFE, 0, 0, 0, 0};
    const auto unpacked = UnpackRfSensorRecord(record.data(), record.size());
    ASSERT_TRUE(unpacked);
    EXPECT_EQ(unpacked->serial, 123456u);
    EXPECT_EQ(unpacked->buttons, (std::array<std::uint8_t, 3>{8, 9, 200}));
    EXPECT_EQ(unpacked->zone, 0x1234);
    EXPECT_EQ(unpacked->user, 0xFFFE);  // unsigned
    for (std::size_t length : {0u, 15u, 17u}) {
        const Bytes bytes(length, 1);
        EXPECT_FALSE(UnpackRfSensorRecord(bytes.data(), bytes.size())) << length;
    }
    EXPECT_FALSE(UnpackRfSensorRecord(nullptr, 16));

    for (auto [serial, valid] : {std::pair{0u, false}, {1u, true}, {4194303u, true}, {4194304u, false},
                                 {0xFFFFFFu, false}}) {
        EXPECT_EQ(IsValidRfSerial(serial), valid) << serial;
    }
}

TEST(ButtonFunction, EncodesAndDecodesTheFourteenItems)
{
    ASSERT_EQ(kButtonFunctionItems.size(), 14u);
    EXPECT_STREQ(kButtonFunctionItems[13], "DESABILITADO");
    for (int item = 0; item <= 12; ++item) {
        EXPECT_EQ(EncodeButtonFunction(item), item);
        EXPECT_EQ(DecodeButtonFunction(static_cast<std::uint8_t>(item)), item);
    }
    for (int item : {13, -1, 14}) EXPECT_EQ(EncodeButtonFunction(item), 255) << item;
    for (int byte = 13; byte <= 255; ++byte) {
        EXPECT_EQ(DecodeButtonFunction(static_cast<std::uint8_t>(byte)), 13) << byte;
    }
}

TEST(RfSensorCommand, PayloadsAreSeventeenBytes)
{
    const RfSensorRecord fob = Record(654321, SensorKind::KeyFob, {2, 255, 10}, 9, 3);
    const Bytes write = ToBytes(RfWritePayload(fob));
    Bytes expected = {1};
    const auto record = PackRfSensorRecord(fob);
    expected.insert(expected.end(), record.begin(), record.end());
    EXPECT_EQ(write, expected);

    const struct {
        std::int32_t number;
        std::uint8_t high, low;
    } reads[] = {{1, 0, 0}, {2048, 0x07, 0xFF}, {-1, 0xFF, 0xFE}, {0x10001, 0x00, 0x00}};
    for (const auto& r : reads) {
        Bytes read(17, 0);
        read[0] = 2;
        read[1] = r.high;
        read[2] = r.low;
        EXPECT_EQ(ToBytes(RfReadPayload(r.number)), read) << r.number;
    }

    Bytes deleteAll(17, 0);
    deleteAll[0] = 6;
    EXPECT_EQ(ToBytes(RfDeleteAllPayload()), deleteAll);
}

TEST(RfReport, TheSerialIsTheUpperTwentyBits)
{
    const Bytes code = {0x12, 0x34, 0x5A};
    EXPECT_EQ(RfReportSerial(code.data(), 3), 74565u);
    const Bytes top = {0xFF, 0xFF, 0xFF};
    EXPECT_EQ(RfReportSerial(top.data(), 3), 0xFFFFFu);
    EXPECT_FALSE(RfReportSerial(code.data(), 2));
    EXPECT_FALSE(RfReportSerial(nullptr, 3));
}

TEST(RfConfigBlock, PacksInTheFormOfTheLastAnswer)
{
    const struct {
        RfConfig config;
        RfBlockForm form;
        std::optional<Bytes> payload;
    } cases[] = {
        {{true, true}, RfBlockForm::Long, Bytes{3, 26, 3, 26}},
        {{false, false}, RfBlockForm::Long, Bytes{3, 0, 0, 43}},
        {{true, true}, RfBlockForm::Short, Bytes{3, 26, 3}},
        {{false, true}, RfBlockForm::Short, Bytes{3, 0, 0}},
        {{true, true}, RfBlockForm::None, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(PackRfConfig(c.config, c.form), c.payload);
}

TEST(RfConfigBlock, UnpacksBothForms)
{
    const struct {
        Bytes answer;
        bool accepted;
        RfBlockForm form;
        bool fsk, crystal30MHz;
    } cases[] = {
        {{3, 26, 0}, true, RfBlockForm::Short, true, false},
        {{3, 27, 3}, true, RfBlockForm::Short, false, false},  // only 26 means FSK
        {{3, 0, 0, 26}, true, RfBlockForm::Long, false, true},
        {{3, 26, 9, 43}, true, RfBlockForm::Long, true, false},
        {{3, 26, 3, 0}, true, RfBlockForm::Long, true, false},  // any other crystal is 32 MHz
        {{3, 26}, false, RfBlockForm::None, false, false},
        {{3, 26, 3, 26, 0}, false, RfBlockForm::None, false, false},
        {{2, 26, 3}, false, RfBlockForm::None, false, false},
    };
    for (const auto& c : cases) {
        const auto answer = UnpackRfConfig(c.answer.data(), c.answer.size());
        ASSERT_EQ(answer.has_value(), c.accepted) << c.answer.size();
        if (!answer) continue;
        EXPECT_EQ(answer->form, c.form);
        EXPECT_EQ(answer->config.fsk, c.fsk);
        EXPECT_EQ(answer->config.crystal30MHz, c.crystal30MHz);
    }
}

}  // namespace
