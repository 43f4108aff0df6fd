// Files in memory, for a system with no file system of its own (the page's WebAssembly):
// system_file_memory.cpp answers the system file calls of OutputFile with these, which the host
// provides. The engine writes one file at a time, so the host keeps one: it owns the buffer,
// and takes each file when it is whole.
#pragma once
#include <cstddef>
#include <cstdint>

// A buffer for the open file that holds at least size bytes, what the file holds so far at its
// start; nullptr when the host cannot have that much (the write fails as on a full disk).
uint8_t* memory_file_room(size_t size);

// The open file is whole under its final name: the first length bytes of the buffer.
void memory_file_kept(const char* path, size_t length);
