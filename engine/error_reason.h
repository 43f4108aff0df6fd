// Why a file could not be read or written: an errno value, or a reason that no errno value
// gives, numbered beyond them.
#pragma once

// Another run, still going, writes the same temporary file: this run leaves it to that one.
constexpr int WRITTEN_BY_ANOTHER_RUN = 0x10000;

// The words for a reason, as strerror gives them for errno values.
const char* reason_text(int reason);
