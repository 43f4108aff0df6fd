#include "error_reason.h"

#include <cstring>

const char* reason_text(int reason) {
    return reason == WRITTEN_BY_ANOTHER_RUN ? "being written by another run"
                                            : std::strerror(reason);
}
