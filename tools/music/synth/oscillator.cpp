#include "oscillator.h"

// The oscillator is inline in its header: it runs once per sample per voice.
