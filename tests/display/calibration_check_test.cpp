// The check before a calibration dialog: no instrument, the same variant, another variant.
#include <gtest/gtest.h>

#include "../device/scripted_ui.h"
#include "display/variant_prompt.h"

namespace qs40 {
namespace {

TEST(CalibrationCheck, RefusesWithoutAnInstrumentAndFollowsAnotherVariant) {
    struct Case {
        const char* name;
        bool russian;
        std::optional<std::int32_t> instrument;
        CalibrationCheck result;
        std::vector<std::string> boxes; // caption, text of each box
        BoxIcon icon;
        std::optional<std::int32_t> switchedTo;
    };
    const Case cases[] = {
        {"no instrument",
         false,
         std::nullopt,
         CalibrationCheck::NoInstrument,
         {"Calibrate Error", "Device not found."},
         BoxIcon::Stop,
         std::nullopt},
        {"no instrument, Russian",
         true,
         std::nullopt,
         CalibrationCheck::NoInstrument,
         {"Ошибка калибровки", "Устройство не найдено."},
         BoxIcon::Stop,
         std::nullopt},
        {"the same variant", false, 31, CalibrationCheck::Ready, {}, BoxIcon::Stop, std::nullopt},
        {"another variant",
         false,
         28,
         CalibrationCheck::Ready,
         {"Warning", "Interface will be changed for ZR4001A. "},
         BoxIcon::Exclamation,
         28},
        {"another variant, Russian",
         true,
         63,
         CalibrationCheck::Ready,
         {"Предупреждение", "Интерфейс будет перестроен для ZR4003A. "},
         BoxIcon::Exclamation,
         63},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopeState state;
        state.System.Device_Type_Code = 31;
        state.Common.Russian = c.russian;
        testing::ScriptedUi ui;
        std::optional<std::int32_t> switched;
        const CalibrationCheck r = checkCalibrationVariant(
            state, c.instrument, ui, [&](std::int32_t code) { switched = code; });
        EXPECT_EQ(r, c.result);
        EXPECT_EQ(switched, c.switchedTo);
        if (c.boxes.empty()) {
            EXPECT_TRUE(ui.boxes.empty());
            continue;
        }
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].caption, c.boxes[0]);
        EXPECT_EQ(ui.boxes[0].text, c.boxes[1]);
        EXPECT_EQ(ui.boxes[0].icon, c.icon);
        EXPECT_EQ(ui.boxes[0].buttons, BoxButtons::Ok);
    }
}

} // namespace
} // namespace qs40
