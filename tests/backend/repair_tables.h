// Small tables that cannot be protected as they stand, shared by the repair's tests in process and
// through mainVRN.exe.
#pragma once

namespace vrn::test
{

// Total 30 (z) = cell 1 (10, sensitive, levels 3) + cell 2 (20, z): cell 1 cannot move at all.
const char* const kBoxedIn = "0 3\n"
                             "0 30 1 z 0 100 0 0 0\n"
                             "1 10 1 u 0 100 3 3 0\n"
                             "2 20 1 z 0 100 0 0 0\n"
                             "1\n0 3 : 0 (-1) 1 (1) 2 (1)\n";

// Cell 1 (10, levels 4) may fall only to its lower bound 8, and rising needs the total to rise past
// its upper bound 30 (cell 2 is z). Least repair: lower bound 8 -> 6.
const char* const kBoundForbids = "0 3\n"
                                  "0 30 1 s 0 30 0 0 0\n"
                                  "1 10 1 u 8 100 4 4 0\n"
                                  "2 20 1 z 0 100 0 0 0\n"
                                  "1\n0 3 : 0 (-1) 1 (1) 2 (1)\n";

// Fixed total 20 = cell 1 (levels 5) + cell 2 (levels 3, bounds 7 and 13): whichever way cell 1 moves
// by 5, cell 2 moves the other way by 5, 2 past one of its bounds.
const char* const kOppositeRoom = "0 3\n"
                                  "0 20 1 z 0 100 0 0 0\n"
                                  "1 10 1 u 0 100 5 5 0\n"
                                  "2 10 1 u 7 13 3 3 0\n"
                                  "1\n0 3 : 0 (-1) 1 (1) 2 (1)\n";

// Two fixed totals chain cell 1 (levels 3) to cell 4 through cell 2: cell 4 moves with cell 1 by the
// same amount, and its bounds 19 and 21 allow 1. No relation alone shows it.
const char* const kChain = "0 5\n"
                           "0 30 1 z 0 100 0 0 0\n"
                           "1 10 1 u 0 100 3 3 0\n"
                           "2 20 1 s 0 100 0 0 0\n"
                           "3 40 1 z 0 100 0 0 0\n"
                           "4 20 1 s 19 21 0 0 0\n"
                           "2\n0 3 : 0 (-1) 1 (1) 2 (1)\n0 3 : 3 (-1) 2 (1) 4 (1)\n";

} // namespace vrn::test
