// The RF side's decoders: a sensor record, a code report and the RF block.
// A record that decodes packs back to the same record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "core/config/rf_config_block.h"
#include "core/rf/rf_sensor_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (const std::optional<RfSensorRecord> record = UnpackRfSensorRecord(data, size)) {
        const auto packed = PackRfSensorRecord(*record);
        const std::optional<RfSensorRecord> again = UnpackRfSensorRecord(packed.data(), packed.size());
        if (!again || again->serial != record->serial) std::abort();
    }
    RfReportSerial(data, size);
    UnpackRfConfig(data, size);
    return 0;
}
