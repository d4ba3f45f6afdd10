// Derives an object's hardware addressing from the station slots its devices name.
#pragma once

#include <vector>

#include "model/project.h"

namespace kelvaro {

// Fills object.hardware, the send and receive headers and Extern from SndDev, RcvDev and
// the stations. Every matching slot is applied in list order, so the last match wins.
void assignHardware(TPSObj& object, const std::vector<TPSContr>& stations);

}  // namespace kelvaro
