// The key state stand-in answers for the modifier keys by their virtual-key numbers.
#include <iterator>
#include <vector>

#include "fixture.h"
#include "keys/modifiers.h"

namespace {

using StandInServices = StandIns;

TEST_F(StandInServices, ModifiersAreReadByTheirVirtualKeyNumbers) {
    StandInSetModifiers(kShiftBit | kCtrlBit | kAltBit);
    const int held[] = {PlatformKeyHeld(0x10), PlatformKeyHeld(0x11), PlatformKeyHeld(0x12),
                        PlatformKeyHeld(0x0F), PlatformKeyHeld(0x13)};
    EXPECT_EQ(std::vector<int>(std::begin(held), std::end(held)),
              (std::vector<int>{1, 1, 1, 0, 0}));
}

} // namespace
