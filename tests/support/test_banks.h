// Banks, folders and files for the tests of every folder.
#pragma once
#include "bank_builder.h"
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// A fresh, empty folder for the running test under the system's temporary folder.
std::string fresh_folder();
std::string join(const std::string& folder, const std::string& name);
Bytes read_bytes(const std::string& path);
void write_bytes(const std::string& path, const Bytes& bytes);

// A mono slot of a repeatable signal, a triangle with noise on it.
BankSlot mono_slot(int number, size_t frames);
// Slots of the catalogue by their files' names ("07.wav", "00s.wav"): folder_contents knows
// those files by their hashes.
std::vector<BankSlot> known_slots(const std::vector<std::string>& names);
Bytes bank_image(const std::vector<BankSlot>& slots);
// Writes the bank into folder as name; returns its path.
std::string write_bank(const std::string& folder, const std::string& name,
                       const std::vector<BankSlot>& slots);

// Two headers and the directory's 100 mono and 50 stereo records, all empty, and nothing more.
Bytes empty_bank();
size_t mono_record(int slot);
size_t stereo_record(int slot);
// Writes the bytes given as hex ("10 00 00") at offset.
void put_hex(Bytes& image, size_t at, const char* hex);
// Points the data of mono slot n below the file's first byte.
void poke_negative_data_start(Bytes& image, int n);

// True when folder lies on a disk of 2 MiB, the tests' full disk.
bool is_small_disk(const std::string& folder);

// A file of the user's that a job must leave alone; longer than most catalogue files, so that
// one written over it without emptying it first shows.
void plant(const std::string& path);
bool is_planted(const std::string& path);
// What a user finds under folder, sorted, banks (".zp4") left out: "NAME*" a catalogue file
// with its known contents, "NAME" a file as plant() left it, "NAME/" an empty folder, "NAME?"
// any other file; those in folders as "FOLDER/NAME*".
std::string folder_contents(const std::string& folder);
