// Banks, folders and expected files for the engine tests.
#pragma once
#include "bank_builder.h"
#include <cstdint>
#include <string>
#include <vector>

// A fresh, empty folder for the running test under the system's temporary folder; name
// tells apart several folders of one test.
std::string fresh_folder(const std::string& name = "");

std::string join(const std::string& folder, const std::string& name);

// A repeatable signal made with integer arithmetic only: a triangle with noise on it.
std::vector<int16_t> test_signal(size_t length, uint32_t seed);

BankSlot mono_slot(int number, size_t frames);
BankSlot stereo_slot(int number, size_t frames);

// Builds the bank and writes it into folder as name; returns its path.
std::string write_bank(const std::string& folder, const std::string& name,
                       const std::vector<BankSlot>& slots);

std::vector<uint8_t> read_bytes(const std::string& path);
void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool exists(const std::string& path);
// The names of what folder holds, sorted.
std::vector<std::string> names_in(const std::string& folder);
// True when folder is the top of a disk of 2 MiB, as tests/support/small_disk.sh mounts one.
bool is_small_disk(const std::string& folder);

// The WAV file the extractor must write for a slot: header and the decoded blocks.
std::vector<uint8_t> expected_wav(const BankSlot& slot);
