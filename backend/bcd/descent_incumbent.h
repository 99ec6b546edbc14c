// The descent's incumbent: the best protected table so far, as the whole model's columns and as the
// table, with its weighted change. A table replaces it only when it changes less and passes the
// solution check of the whole table.
#pragma once

#include "cli/layer_settings.h"
#include "control/run_control.h"
#include "model/std_model.h"

#include <functional>
#include <string>
#include <vector>

namespace vrn
{

class DescentIncumbent
{
public:
    DescentIncumbent(const Instance& instance, const StdModel& model, const BcdSettings& settings,
                     RunControl& control, std::function<void(const std::string&)> say);

    // The starting table, in the model's columns.
    void Start(const std::vector<double>& columns);

    // `adjusted` (weighted change `objective`) becomes the incumbent when it changes less and passes the
    // check; a table that fails it is reported.
    bool AcceptIfBetter(const std::vector<double>& adjusted, double objective);

    const std::vector<double>& Columns() const { return m_columns; }
    const std::vector<double>& Table() const { return m_table; }
    double Objective() const { return m_objective; }

private:
    const Instance& m_instance;
    const StdModel& m_model;
    const BcdSettings& m_settings;
    RunControl& m_control;
    std::function<void(const std::string&)> m_say;
    std::vector<double> m_columns; // the whole model's columns
    std::vector<double> m_table;   // the adjusted values
    double m_objective = 0;        // weighted change, table units
};

} // namespace vrn
