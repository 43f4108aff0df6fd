// A few synthesised sounds for a demo bank: tones, a sweep, a plucked string, stereo pads.
#pragma once
#include "bank_builder.h"
#include <vector>

std::vector<BankSlot> demo_slots();
