// The two Std models, and the choice between them by their relaxations.
#pragma once

namespace vrn
{

enum class StdModelKind
{
    Automatic,
    Classical,
    New
};

} // namespace vrn
