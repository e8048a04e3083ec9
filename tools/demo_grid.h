// The demo grid: a synthetic ED50 -> ETRS89 grid over peninsular Spain, for
// trying the converter out. Its shifts have the right size and sign but come
// from a made-up smooth model, not from any survey: real conversions need the
// official grid of the user's mapping agency. So that it can never pass for
// one, its overview's VERSION is kovra's kDemoGridMark, "RUK-DEMO" (a field no
// lookup reads), and kovra warns whenever it converts with it.
#pragma once

#include "ntv2_writer.h"

namespace ntv2 {

// One sub-grid, 35.5..44.5 N and 9.5 W..3.5 E at 5' (300") spacing: 109 rows
// of 157 nodes. The model, ETRS89 minus ED50 in arc-seconds, with
// u = (latitude - 40 deg) / 5 deg and v = (east longitude + 3 deg) / 6.5 deg:
//   latitude shift  = -3.90 + 0.25 u - 0.10 v + 0.05 u v        (north positive)
//   longitude shift = -4.70 + 0.10 u - 0.20 v - 0.05 u^2        (east positive)
// The node records store the longitude shift negated, positive west as NTv2 has it.
Grid demoGrid();

}  // namespace ntv2
