// The ".zp4" file-type association in the registry.
#pragma once

// True when the ".zp4" key opens with full access, whoever wrote it.
bool is_associated();

// Registers this program as the handler of ".zp4" files; nothing when already registered.
void associate();

// Removes the registration; nothing when there is none.
void dissociate();
