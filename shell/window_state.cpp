#include "window_state.h"

WindowState ui;
