// The texts of --help and --version.
#include "cli/options.h"

namespace vrn
{

std::string HelpText()
{
    return R"(Usage: mainVRN.exe INSTANCE OUTPUT_FOLDER --solver C [--name value]...
  or:  mainVRN.exe --report INSTANCE SOLUTION [PAGE]
  or:  mainVRN.exe --help | --version

Protects a table (a .csp file) by publishing an adjusted table that adds up, stays within
its bounds and moves every sensitive cell by at least its protection level, at the least
weighted change. Writes OUTPUT_FOLDER/NAME_SUFFIX.log and OUTPUT_FOLDER/NAME_SUFFIX.sol,
where NAME is the instance file name without directory and extension and SUFFIX the solver's
(_cplex _xpress _glpk _cbc _clp _sym), and with every table the report page
OUTPUT_FOLDER/NAME_SUFFIX.html (see "Report page" below).

Options:
Every option is a name followed by a value; a missing option takes its default. Numbers are
decimal (1, 0.5, 2.5e-3; no hexadecimal, inf or nan) and each has a range; a value outside it
is refused. An option given twice takes its last value, with a warning. "--" ends the options:
what follows is the instance and the folder, even when they start with "--".
  --solver C         g GLPK, b CBC (default), l CLP (linear problems only), s SYMPHONY;
                     c Cplex and x Xpress are not available in this build
  --intdev y         adjusted values of all cells integer
  --additive n       keep the original table's residuals (default y: relations hold as written)
  --format a         report every error in the instance file (default: stop at the first)
  --check n          skip the check of the input (default y); the solution is always checked
  --scale NUMBER     divide values by this factor for the solver, 1e-30 to 1e30, and the
                     largest value after it from 1e-6 to 1e9 (default: automatic, a power of
                     ten that brings the largest value from 100 to 1000 when it is above
                     1000 or below 1)
  --progress SECONDS
                     progress lines at most every this many seconds, 0.1 to 86400 (default 5)
  --big NUMBER       largest change of a cell whose bounds are far or missing, at most 1e15
                     (-1: automatic)
  --model c|n        Std model: c Classical, n New (default: automatic, the log says which)
  --order 4-2-3-1    Fast: solve the objectives in this order, each held within --epsf of its
                     optimum: 1 total weighted change, 2 total relative change, 3 relative
                     change of the totals, 4 largest relative change (default 4-2-3-1)
  --pct-bounds PCT   Fast: largest change of a non-sensitive cell, percent of its value
                     (0 to 1e6)
  --time SECONDS     wall-clock limit of the run, at most 1e7; the best table found is written
  --first y          stop at the first protected table found
  --mipgap PCT       relative gap at which the integer solve stops, 0 to 100 (default 5)
  --lptol NUMBER     LP optimality tolerance, 1e-12 to 0.001 (default: the solver's)
  --feasibility NUM  the solvers' feasibility tolerance, 1e-12 to 0.001 and below the smallest
                     protection level after scaling, else the run is refused (default 1e-6);
                     the solution check has its own strict tolerances and never uses it
  --integrality NUM  integrality tolerance, 0 to 0.001 (default: the solver's)
  --prepsens y       fix in advance the direction of sensitive cells that can move one way only
  --write y          write the model as an LP file, OUTPUT_FOLDER/NAME_SUFFIX.lp
  --seed INTEGER     seed of the random directions and the solvers' random choices (default 1)
  --intdevtol NUM    with --intdev: values this close (at most 0.49) to an integer are written
                     as that integer
  --method s         LP method: s simplex (default: barrier)
  --crossover n      no crossover after the barrier (default y)
  --fixdir r|f|s     Fast: directions of the sensitive cells fixed at random (r, with --seed),
                     from --fixdirfn (f), or by the heuristic (s, the default)
  --fixdirfn PATH    lines "cell direction" (0 down, 1 up); omitted cells take the heuristic
  --expobj NUMBER    Fast: relative change = change / max(|value|, 1)^NUMBER, 0 to 10
                     (default 0.5)
  --epsf NUMBER      Fast: a reached objective is held at most this fraction above, 0 to 1
                     (default 1e-4)
  --epsrhs NUMBER    Fast: ... and never below this value, 0 to 1e15 (default 0)
  --startingpoint c|s|n  Std: start the integer search from a protected table found by a Fast
                     solve (c: directions rounded from the Std model's LP relaxation, s: from
                     the Fast heuristic's, the default; n: none). Directions that cannot be
                     met are mended as a whole: the table of least change with them, then
                     small integer programs around the cells it leaves short. The search for
                     it takes at most a third of the time left (two thirds on tables of more
                     than 2,000 sensitive cells); GLPK runs get it from mainVRN.exe beside
                     mainVRN-glpk
  --repair y         Std: a table that cannot be protected is repaired first: the least
                     widening of bounds (and, only where that cannot help, lowering of
                     protection levels) that makes it protectable; every change is listed,
                     the repaired instance written to OUTPUT_FOLDER/NAME_SUFFIX_repaired.csp
                     and protected; on a table that can be protected it changes nothing
  --repairfn PATH    prices of the repair, lines "CELL WHAT PRICE": WHAT lb ub lpl upl, PRICE
                     a number >= 0 per unit of change or fixed (may not change); '#' starts a
                     comment; default price 1. A file that prices a protection level weighs
                     every change by its price in one sum instead
  --vineq y|c        Std: add valid inequalities that raise the integer model's bound (y), or
                     only report how many the LP relaxation's optimum violates (c)
  --bcd-clusters K   Std: block coordinate descent with K blocks per cycle (1: none); starts
                     from the Fast heuristic's table (--startingpoint s unless c is given) and
                     re-solves K blocks of sensitive cells in turn, the other directions fixed.
                     Default: none up to 1,000 sensitive cells with CBC, 2,000 with GLPK and
                     SYMPHONY; beyond, the run chooses the descent itself, blocks of at least
                     300 cells with CBC (48 per cycle at most) and 30 with GLPK and SYMPHONY,
                     regrouped each cycle, and says so
  --bcd-time SECONDS time limit of each block's solve (default: with --time, a share of the
                     remaining time, a tenth or 1/K, less where the rest of the cycle would
                     not fit, at least 2 s; without it, none)
  --bcd-objf NUMBER  stop once the weighted change is at or below NUMBER
  --bcd-endbc SECONDS  when the descent ends, a branch-and-cut on the whole model from its
                     table for at most SECONDS (default: none)
  --bcd-cycle o|s|c  o one cycle, s repeat the same clusters (default), c repeat, regrouping
                     the cells each cycle
  --bcd-nstop N      stop after N blocks in a row without improvement (default adaptive: one
                     cycle's worth with s, five with c or --dynamic)
  --dynamic y        each block made afresh of the cells most likely to gain from a flip
  --dyn-sprop PCT    dynamic: the best-scored PCT % of the sensitive cells are candidates (50)
  --dyn-perturb PCT  dynamic: each candidate is left out with probability PCT % (50)
  --mipemphasis, --emphasis, --varsel: parameters of commercial solvers; accepted, ignored
  --help             print this text and exit (takes no value)
  --version          print the version and exit (takes no value)
  --report INSTANCE SOLUTION [PAGE]
                     no run: write the report page of the table in the .sol file SOLUTION,
                     a table of INSTANCE, to PAGE (default: beside SOLUTION, its .sol replaced
                     by .html); first on the line, with no other option

Commands:
While it runs, standard input takes one command per line.
  stop               end the solve as soon as the solver allows; the best table found so far
                     is written
  status             print the current state (phase, time, best objective, bound, gap)
  help               list the commands
An empty line is ignored, anything else gets a one-line message; a line longer than 1024 bytes
is ignored. End of input is not a stop. SIGTERM, SIGINT and SIGHUP act like stop, whatever the
solver. Before a solver has a table, a stop or the time limit ends the run within about 2 s.

Result files:
  NAME_SUFFIX.log    everything printed on standard output and standard error during the
                     run, from the version and the command line to the exit status
  NAME_SUFFIX.sol    a header of "# key: value" lines (instance, solver, outcome, objective,
                     bound, gap, check, cells; reason when there is no table), then a line
                     "# index original adjusted change status" and one line of those five
                     fields per cell: its index, its value in the instance, its published
                     value, the difference and its status letter
  NAME_SUFFIX.html   the report page (below), written with every table and never without one
  NAME_SUFFIX.lp     the model in CPLEX LP format, with --write y
  NAME_SUFFIX_repaired.csp  the repaired instance, after --repair y changed something (the
                     .sol header then says "repaired" and how much)
The outcome is one of optimal, feasible (with the reason in brackets: time limit, stop
command, SIGTERM, SIGINT or SIGHUP, first table), infeasible, no solution, solver failed,
instance errors, solver not available, not available, command line error. Numbers are written
in their shortest exact form; control bytes in header values are written escaped.
A .sol (and a .lp) is written to a temporary file beside it and renamed into place when
complete: it is complete or absent. No result file is written through a symbolic link. One run
at a time writes the files of a NAME_SUFFIX base: a second run on the same base ends with exit
status 1 and touches nothing (the lock, NAME_SUFFIX.lock, is released however a run ends). A
log that could not be written whole ends the run with exit status 1.

The solution check is made after every run: a sensitive cell that moved less than its
protection level by more than a billionth of the level fails it, whatever the tolerances.

Report page:
Every run that writes a table writes NAME_SUFFIX.html, one page that any browser opens offline
(no script, nothing fetched): the weighted and the unweighted change, the largest change and the
largest relative change with their cells, how many cells changed (by more than 1e-9 of the
table's largest value), the mean relative change of the cells that are not sensitive; the same
by group (sensitive, other, fixed, totals, inner cells); the cells by relative change (0, up to
2, 5, 10, 20, 30, 40, 50 %, more; cells of value 0 apart) in a chart, with quantiles; the largest
totals, the grand total first, and the totals that moved more than 1 %; how far the sensitive
cells moved past their protection levels and how many sit exactly at one (which one who knows
the levels can undo); the run. Totals are the cells with a negative coefficient in some
relation. The log ends with the same headline figures and the page's path.

mainVRN.exe --report INSTANCE SOLUTION [PAGE] makes the page of a table written earlier (a .sol
of this program, or of another tool in the same form), checks the table again and prints the
headline figures. The .sol must be whole and of INSTANCE: the same cells, values and statuses.

Exit status:
  0  a protected table was written (optimal within the gap, or the best found at a limit
     or a stop)
  1  the result files could not be written (for instance the output folder does not exist,
     the disk is full, or another run writes the same result files)
  2  command line error (also a tolerance or a scale that makes no sense for the table)
  3  the instance file (or the directions file of --fixdir f, or the repair file) cannot be
     read or has errors
  4  the problem is infeasible (with fixed directions: for those directions)
  5  no protected table was found (time limit or stop came first, or the solver failed)
  6  the solver is not available in this build
  7  the solver or this build cannot solve this kind of problem
  8  a table was written but failed the solution check (never reported as protected)
With --report: 0 the page was written; 1 it could not be (or a run writes those result files);
2 a command line error; 3 the instance or the .sol cannot be read, has an error, holds no
table, or is not a table of that instance.
)";
}

std::string VersionText(const std::string& program)
{
    return program + " (VRN) " VRN_VERSION "\n"
                     "Copyright (c) 2026 Tessera Statistical Software. MIT licence.\n";
}

} // namespace vrn
