#include "songs.h"

namespace music {

bool MakeSide(char side, synth::Song &out) {
    switch (side) {
    case 'A': out = MakeSideA(); return true;
    case 'B': out = MakeSideB(); return true;
    case 'C': out = MakeSideC(); return true;
    case 'D': out = MakeSideD(); return true;
    default: return false;
    }
}

} // namespace music
