// Files for the window tests, beside the shared bank helpers.
#pragma once
#include "bank_builder.h"
#include <cstddef>
#include <string>

void write_text(const std::string& path, const std::string& text);
std::string read_text(const std::string& path);

// "07.wav" or "03s.wav": the name the program writes a slot under.
std::string output_file_name(const BankSlot& slot);

// Frames of a slot of 1 or 2 channels as large as a bank allows beside a small first slot:
// the longest write a test can act in (a fraction of a second).
size_t largest_slot_frames(int channels);
