#include "solvers/symphony_solver.h"

#include "control/ticker.h"

#include <cmath>
#include <symphony.h>

// SYMPHONY's own interrupt counter: a value above zero makes its search stop with the incumbent.
extern int c_count;

namespace vrn
{

namespace
{

class SymphonySolverAdapter : public SolverAdapter
{
public:
    std::string Name() const override { return "SYMPHONY"; }
    bool SolvesIntegerPrograms() const override { return true; }

    SolveResult Solve(const MipModel& model, const SolveParams& params, RunControl& control) override
    {
        sym_environment* env = sym_open_environment();
        if (env == nullptr)
        {
            SolveResult failed;
            failed.status = SolveStatus::Failed;
            failed.detail = "SYMPHONY could not start";
            return failed;
        }
        Load(env, model);
        if (!params.start.empty())
        {
            // SYMPHONY takes a starting solution as its first incumbent.
            std::vector<double> start(params.start);
            sym_set_col_solution(env, start.data());
        }
        // Verbosity -1 prints the search's progress table and the final cost; 0 and above also print
        // statistics and the whole solution.
        sym_set_int_param(env, "verbosity", -1);
        sym_set_dbl_param(env, "time_limit", SolverTimeLimit(control));
        sym_set_dbl_param(env, "gap_limit", params.mipGapPercent);
        sym_set_int_param(env, "find_first_feasible", params.firstFeasible ? 1 : 0);
        sym_set_int_param(env, "random_seed", params.seed);

        control.SetIncumbentHidden(true);
        c_count = 0;
        int code = 0;
        {
            // During the root a single request is swallowed by an inner search: keep asking until SYMPHONY
            // ends.
            const Ticker poller(0.05,
                                [&]
                                {
                                    if (control.StopRequested())
                                        c_count = 1;
                                    return true;
                                });
            if (control.StopRequested())
                c_count = 1;
            code = sym_solve(env);
        }
        if (code == TM_FOUND_FIRST_FEASIBLE)
            control.RequestStop(StopReason::FirstFeasible);
        c_count = 0;
        SolveResult result = Collect(env, code, model);
        sym_close_environment(env);
        return result;
    }

private:
    static void Load(sym_environment* env, const MipModel& model)
    {
        std::vector<int64_t> start64;
        std::vector<int32_t> rows;
        std::vector<double> values;
        model.ColumnMajor(start64, rows, values);
        std::vector<int> start(start64.begin(), start64.end());
        std::vector<char> isInt(model.isInteger.begin(), model.isInteger.end());
        std::vector<char> sense(static_cast<size_t>(model.RowCount()));
        std::vector<double> rhs(sense.size()), range(sense.size(), 0);
        for (int r = 0; r < model.RowCount(); ++r)
        {
            const double lo = model.rowLower[r], up = model.rowUpper[r];
            if (lo == up)
                sense[r] = 'E', rhs[r] = lo;
            else if (lo > -kInfinity && up < kInfinity)
                sense[r] = 'R', rhs[r] = up, range[r] = up - lo;
            else if (lo > -kInfinity)
                sense[r] = 'G', rhs[r] = lo;
            else
                sense[r] = 'L', rhs[r] = up;
        }
        std::vector<double> colLower(model.colLower), colUpper(model.colUpper), cost(model.cost);
        const double infinity = sym_get_infinity();
        for (double& b : colUpper)
            b = std::min(b, infinity);
        for (double& b : colLower)
            b = std::max(b, -infinity);
        sym_explicit_load_problem(env, model.ColumnCount(), model.RowCount(), start.data(), rows.data(),
                                  values.data(), colLower.data(), colUpper.data(), isInt.data(), cost.data(),
                                  nullptr, sense.data(), rhs.data(), range.data(), TRUE);
    }

    static SolveResult Collect(sym_environment* env, int code, const MipModel& model)
    {
        SolveResult result;
        result.detail = "SYMPHONY status " + std::to_string(code);
        std::vector<double> x(static_cast<size_t>(model.ColumnCount()));
        double objective = 0;
        const bool has = code != TM_NO_SOLUTION && code != PREP_NO_SOLUTION && code != TM_UNBOUNDED &&
                         sym_get_col_solution(env, x.data()) == FUNCTION_TERMINATED_NORMALLY &&
                         sym_get_obj_val(env, &objective) == FUNCTION_TERMINATED_NORMALLY &&
                         std::isfinite(objective) && objective < 1e50;
        const bool optimal = code == TM_OPTIMAL_SOLUTION_FOUND || code == PREP_OPTIMAL_SOLUTION_FOUND ||
                             code == TM_TARGET_GAP_ACHIEVED;
        if (has)
        {
            result.solution = std::move(x);
            result.objective = objective;
            result.status = optimal ? SolveStatus::Optimal : SolveStatus::Feasible;
        }
        else if (code == TM_NO_SOLUTION || code == PREP_NO_SOLUTION)
            result.status = SolveStatus::Infeasible;
        else
            result.status = code < 0 ? SolveStatus::Failed : SolveStatus::NoSolution;
        return result;
    }
};

} // namespace

std::unique_ptr<SolverAdapter> MakeSymphonySolver()
{
    return std::make_unique<SymphonySolverAdapter>();
}

} // namespace vrn
