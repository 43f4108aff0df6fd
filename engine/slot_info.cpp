#include "slot_info.h"

#include <cstdio>

void format_output_name(const SlotInfo& slot, char name[OUTPUT_NAME_BYTES]) {
    // Slot numbers have two digits; the remainder only tells the compiler so.
    const unsigned number = (is_stereo(slot) ? slot.id - FIRST_STEREO_ID : slot.id) % 100;
    std::snprintf(name, OUTPUT_NAME_BYTES, is_stereo(slot) ? "%02us.wav" : "%02u.wav", number);
}
