// Fixing the direction of every sensitive cell before the Fast model is built: at random, from a
// directions file, or by the heuristic (see fast_solve.h). Everything here needs no solver.
#pragma once

#include "instance/instance.h"
#include "model/std_model.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vrn
{

// How a cell's direction was chosen, for the log.
enum class DirectionSource : unsigned char
{
    None,      // not a sensitive cell (or one that needs no protection)
    Forced,    // its bounds allow one way only
    Random,    // --fixdir r
    File,      // --fixdir f
    Heuristic, // --fixdir s, or a sensitive cell that the directions file omits
    Repaired,  // flipped by the heuristic's repair
    Table      // read from an adjusted table (a solver's, or a search's)
};

struct DirectionChoice
{
    std::vector<Direction> direction;    // per cell; Free for cells that are not to protect
    std::vector<DirectionSource> source; // per cell

    int Count(Direction which) const;
    int Count(DirectionSource which) const;
    // "N up, M down (a forced by the bounds, b at random, ...)".
    std::string Summary() const;
};

// Directions the bounds force, Free elsewhere (also where neither way is possible: the input check
// reports those).
DirectionChoice ForcedDirections(const Instance& instance, double big);

// Every free choice drawn at random with the seed, so runs repeat.
void ChooseAtRandom(const Instance& instance, uint64_t seed, DirectionChoice& choice);

struct DirectionsFileResult
{
    DirectionChoice choice;          // File where the file gives the direction, Forced or Free elsewhere
    std::vector<FormatError> errors; // "line: message", every bad line
    int given = 0;                   // directions read from the file
};

// Reads lines "cell direction" (0 down, 1 up). Blank lines and text after '#' are ignored. Bad lines,
// unknown cells, cells that are not sensitive, repeated cells and directions the cell's bounds do not
// allow are errors with their line number.
DirectionsFileResult ReadDirectionsText(const std::string& text, const Instance& instance, double big);
DirectionsFileResult ReadDirectionsFile(const std::string& path, const Instance& instance, double big);

// Directions read from an adjusted table: up where the cell moved up, or at least closer to its upper
// protection than to its lower one; a way the bounds rule out is never chosen. Only protectable cells
// that are Free in `choice`, or all of them with `overwrite`, are set (source Table).
void ReadDirectionsFromTable(const Instance& instance, const std::vector<double>& adjusted, double big,
                             bool overwrite, DirectionChoice& choice);

// True for directions the program chose itself (and may change): heuristic, repaired, read from a table.
bool ChosenByProgram(DirectionSource source);

// Directions from a solution of the Std model's LP relaxation: up where the direction column is at
// least one half. Only cells that are still Free in `choice` are set.
void ChooseFromRelaxation(const StdModel& relaxed, const std::vector<double>& solution,
                          DirectionChoice& choice);

} // namespace vrn
