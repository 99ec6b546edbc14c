#include "solvers/glpk_solver.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <glpk.h>

namespace vrn
{

namespace
{

struct SearchState
{
    RunControl* control;
    bool firstFeasible;
    double bound = -kInfinity; // glp_intopt gives no final bound: keep the last one the search showed
    const std::vector<double>* start = nullptr; // a starting solution, offered once as a heuristic's
    int columns = 0;                            // of the model as loaded
    double keptObjective = kInfinity;           // of the incumbent whose columns the control holds
};

// Hands the incumbent's columns to the control when it is new, so that a run whose search does not
// return after a stop can still write it. The presolver's problem numbers its columns otherwise:
// those are not kept.
void KeepIncumbentColumns(glp_prob* problem, SearchState& state)
{
    const double objective = glp_mip_obj_val(problem);
    if (objective == state.keptObjective || glp_get_num_cols(problem) != state.columns)
        return;
    std::vector<double> columns(static_cast<size_t>(state.columns));
    for (int c = 0; c < state.columns; ++c)
        columns[c] = glp_mip_col_val(problem, c + 1);
    state.control->SetIncumbentColumns(std::move(columns));
    state.keptObjective = objective;
}

// Called by glp_intopt at each step of the search: the state for "status", and the stop.
void OnSearchStep(glp_tree* tree, void* info)
{
    auto* state = static_cast<SearchState*>(info);
    glp_prob* problem = glp_ios_get_prob(tree);
    if (state->start != nullptr && glp_ios_reason(tree) == GLP_IHEUR)
    {
        // GLPK takes a starting solution only from a heuristic step (its arrays count from 1).
        std::vector<double> x(state->start->size() + 1, 0);
        std::copy(state->start->begin(), state->start->end(), x.begin() + 1);
        glp_ios_heur_sol(tree, x.data());
        state->start = nullptr;
    }
    // Heuristic incumbents do not raise GLP_IBINGO: look at the incumbent at every call.
    const bool hasIncumbent = glp_mip_status(problem) == GLP_FEAS || glp_mip_status(problem) == GLP_OPT;
    if (hasIncumbent)
    {
        state->control->SetIncumbent(glp_mip_obj_val(problem));
        KeepIncumbentColumns(problem, *state);
        if (state->firstFeasible)
            state->control->RequestStop(StopReason::FirstFeasible);
    }
    const int best = glp_ios_best_node(tree);
    if (best != 0)
    {
        state->bound = glp_ios_node_bound(tree, best);
        state->control->SetBound(state->bound);
    }
    if (state->control->StopRequested())
        glp_ios_terminate(tree);
}

int TimeLimitMs(const RunControl& control)
{
    const double ms = SolverTimeLimit(control) * 1000;
    return ms >= 2e9 ? INT32_MAX : static_cast<int>(ms);
}

// GLPK calls abort() on an internal error unless a hook takes over.
thread_local std::jmp_buf* t_errorJump = nullptr;

void OnGlpkError(void*)
{
    if (t_errorJump != nullptr)
        std::longjmp(*t_errorJump, 1);
}

class GlpkSolverAdapter : public SolverAdapter
{
public:
    std::string Name() const override { return "GLPK"; }
    bool SolvesIntegerPrograms() const override { return true; }

    SolveResult Solve(const MipModel& model, const SolveParams& params, RunControl& control) override
    {
        SolveResult result;
        std::jmp_buf jump;
        t_errorJump = &jump;
        glp_error_hook(OnGlpkError, nullptr);
        if (setjmp(jump) == 0)
        {
            glp_prob* problem = Load(model);
            result = model.HasIntegers() ? SolveMip(problem, model, params, control)
                                         : SolveLp(problem, model, params, control);
            glp_delete_prob(problem);
        }
        else
        {
            // After an error GLPK's state is unusable: free all of it (the problem object included).
            result = SolveResult();
            result.status = SolveStatus::Failed;
            result.detail = "GLPK stopped on an internal error";
            glp_free_env();
        }
        t_errorJump = nullptr;
        glp_error_hook(nullptr, nullptr);
        return result;
    }

private:
    static glp_prob* Load(const MipModel& model)
    {
        glp_prob* problem = glp_create_prob();
        glp_set_obj_dir(problem, GLP_MIN);
        if (model.RowCount() > 0) // GLPK treats adding 0 rows or columns as an error
            glp_add_rows(problem, model.RowCount());
        if (model.ColumnCount() > 0)
            glp_add_cols(problem, model.ColumnCount());
        for (int r = 0; r < model.RowCount(); ++r)
            glp_set_row_bnds(problem, r + 1, BoundType(model.rowLower[r], model.rowUpper[r]),
                             Finite(model.rowLower[r]), Finite(model.rowUpper[r]));
        for (int c = 0; c < model.ColumnCount(); ++c)
        {
            glp_set_col_bnds(problem, c + 1, BoundType(model.colLower[c], model.colUpper[c]),
                             Finite(model.colLower[c]), Finite(model.colUpper[c]));
            glp_set_obj_coef(problem, c + 1, model.cost[c]);
            if (model.isInteger[c])
                glp_set_col_kind(problem, c + 1, GLP_IV);
        }
        const size_t n = static_cast<size_t>(model.EntryCount());
        std::vector<int> rows(n + 1), cols(n + 1);
        std::vector<double> values(n + 1);
        for (int r = 0; r < model.RowCount(); ++r)
            for (int64_t e = model.rowStart[r]; e < model.rowStart[r + 1]; ++e)
            {
                rows[e + 1] = r + 1;
                cols[e + 1] = model.entryCol[e] + 1;
                values[e + 1] = model.entryValue[e];
            }
        glp_load_matrix(problem, static_cast<int>(n), rows.data(), cols.data(), values.data());
        return problem;
    }

    static double Finite(double b) { return std::isfinite(b) ? b : 0; }

    static int BoundType(double lo, double up)
    {
        if (lo == up)
            return GLP_FX;
        if (std::isfinite(lo) && std::isfinite(up))
            return GLP_DB;
        if (std::isfinite(lo))
            return GLP_LO;
        return std::isfinite(up) ? GLP_UP : GLP_FR;
    }

    // Without its presolver glp_intopt needs the optimal basis of the LP relaxation first.
    static bool SolveRelaxationForStart(glp_prob* problem, int timeLimitMs)
    {
        glp_smcp parm;
        glp_init_smcp(&parm);
        parm.presolve = GLP_ON;
        parm.tm_lim = timeLimitMs;
        parm.msg_lev = GLP_MSG_ERR;
        return glp_simplex(problem, &parm) == 0 && glp_get_status(problem) == GLP_OPT;
    }

    static SolveResult SolveMip(glp_prob* problem, const MipModel& model, const SolveParams& params,
                                RunControl& control)
    {
        glp_iocp parm;
        glp_init_iocp(&parm);
        parm.presolve = GLP_ON;
        parm.tm_lim = TimeLimitMs(control);
        parm.mip_gap = params.mipGapPercent / 100;
        if (params.integrality >= 0)
            parm.tol_int = std::max(params.integrality, 1e-12);
        parm.msg_lev = GLP_MSG_ON;
        // Without cuts GLPK's bound hardly moves on these models (19 % gap after 20 s on a 30x30 table).
        parm.mir_cuts = GLP_ON;
        parm.gmi_cuts = GLP_ON;
        parm.cov_cuts = GLP_ON;
        parm.clq_cuts = GLP_ON;
        SearchState state{&control, params.firstFeasible, -kInfinity};
        state.columns = model.ColumnCount();
        if (!params.start.empty() && SolveRelaxationForStart(problem, parm.tm_lim))
        {
            // A heuristic's solution is read in the columns of the problem being searched, which the
            // presolver would renumber and shrink: with a start the search runs on the problem as loaded.
            parm.presolve = GLP_OFF;
            state.start = &params.start;
        }
        parm.cb_func = OnSearchStep;
        parm.cb_info = &state;
        const int code = glp_intopt(problem, &parm);
        SolveResult result;
        result.detail = "GLPK glp_intopt returned " + std::to_string(code) + ", MIP status " +
                        std::to_string(glp_mip_status(problem));
        const int status = glp_mip_status(problem);
        if (status == GLP_OPT || status == GLP_FEAS)
        {
            result.solution.resize(static_cast<size_t>(model.ColumnCount()));
            for (int c = 0; c < model.ColumnCount(); ++c)
                result.solution[c] = glp_mip_col_val(problem, c + 1);
            result.objective = glp_mip_obj_val(problem);
            result.bound = code == 0 ? result.objective : std::min(state.bound, result.objective);
            // GLPK reports GLP_FEAS also when the gap target was met (GLP_EMIPGAP); a run cut short is the
            // other case.
            result.status = code == 0 || code == GLP_EMIPGAP ? SolveStatus::Optimal : SolveStatus::Feasible;
        }
        else if (status == GLP_NOFEAS || code == GLP_ENOPFS || code == GLP_ENODFS)
            result.status = SolveStatus::Infeasible;
        else
            result.status = code == 0 || code == GLP_ETMLIM || code == GLP_ESTOP ? SolveStatus::NoSolution
                                                                                 : SolveStatus::Failed;
        return result;
    }

    static SolveResult SolveLp(glp_prob* problem, const MipModel& model, const SolveParams& params,
                               RunControl& control)
    {
        int code = 0;
        bool optimal = false, infeasible = false;
        const bool simplex = params.simplex || params.lpMethodByShape;
        if (simplex)
        {
            glp_smcp parm;
            glp_init_smcp(&parm);
            parm.presolve = GLP_ON;
            parm.tm_lim = TimeLimitMs(control);
            parm.tol_bnd = params.feasibility;
            if (params.lpTolerance > 0)
                parm.tol_dj = params.lpTolerance;
            code = glp_simplex(problem, &parm);
            optimal = glp_get_status(problem) == GLP_OPT;
            infeasible = glp_get_status(problem) == GLP_NOFEAS || code == GLP_ENOPFS;
        }
        else
        {
            glp_iptcp parm;
            glp_init_iptcp(&parm);
            code = glp_interior(problem, &parm);
            optimal = glp_ipt_status(problem) == GLP_OPT;
            infeasible = glp_ipt_status(problem) == GLP_NOFEAS;
        }
        SolveResult result;
        result.detail = "GLPK LP returned " + std::to_string(code);
        if (optimal)
        {
            result.status = SolveStatus::Optimal;
            result.solution.resize(static_cast<size_t>(model.ColumnCount()));
            for (int c = 0; c < model.ColumnCount(); ++c)
                result.solution[c] =
                    simplex ? glp_get_col_prim(problem, c + 1) : glp_ipt_col_prim(problem, c + 1);
            result.objective = simplex ? glp_get_obj_val(problem) : glp_ipt_obj_val(problem);
            result.bound = result.objective;
        }
        else
            result.status = infeasible ? SolveStatus::Infeasible : SolveStatus::NoSolution;
        return result;
    }
};

} // namespace

std::unique_ptr<SolverAdapter> MakeGlpkSolver()
{
    return std::make_unique<GlpkSolverAdapter>();
}

} // namespace vrn
