#include "cli/options.h"

namespace vrn
{

bool BackendOptions::IsGiven(const std::string& name) const
{
    for (const auto& option : given)
        if (option.first == name)
            return true;
    return false;
}

} // namespace vrn
