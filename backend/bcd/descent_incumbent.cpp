#include "bcd/descent_incumbent.h"

#include "instance/cell_rules.h"
#include "model/checks.h"

#include <algorithm>
#include <cmath>

namespace vrn
{

DescentIncumbent::DescentIncumbent(const Instance& instance, const StdModel& model,
                                   const BcdSettings& settings, RunControl& control,
                                   std::function<void(const std::string&)> say)
    : m_instance(instance), m_model(model), m_settings(settings), m_control(control), m_say(std::move(say))
{
}

void DescentIncumbent::Start(const std::vector<double>& columns)
{
    m_columns = columns;
    m_table = m_model.AdjustedValues(m_instance, columns);
    m_objective = WeightedChange(m_instance, m_table);
    m_control.SetIncumbent(m_model.mip.ObjectiveAt(m_columns));
}

bool DescentIncumbent::AcceptIfBetter(const std::vector<double>& adjusted, double objective)
{
    if (objective >= m_objective - 1e-7 * std::max(1.0, std::fabs(m_objective)))
        return false;
    const CheckReport check = CheckSolution(m_instance, adjusted, m_settings.additive,
                                            m_settings.integerCells, m_settings.tolerance);
    if (!check.passed)
    {
        m_say("BCD: a block's table failed the solution check; the incumbent is kept");
        // The summary and the first findings; a block is rejected often enough to keep this short.
        for (size_t k = 0; k < std::min<size_t>(check.lines.size(), 8); ++k)
            m_say("  " + check.lines[k]);
        return false;
    }
    m_columns = StdColumnsOf(m_instance, m_model, adjusted);
    m_table = adjusted;
    m_objective = objective;
    m_control.SetIncumbent(m_model.mip.ObjectiveAt(m_columns));
    return true;
}

} // namespace vrn
