#include "gui/CommandBindings.h"

namespace tamr::qt {

void CommandBindings::Bind(int id, State state, Run run)
{
    bindings_.insert_or_assign(id, Binding{std::move(state), std::move(run)});
}

CommandState CommandBindings::StateOf(int id) const
{
    const auto found = bindings_.find(id);
    return found == bindings_.end() ? CommandState{} : found->second.state();
}

bool CommandBindings::RunIfEnabled(int id) const
{
    const auto found = bindings_.find(id);
    if (found == bindings_.end() || !found->second.state().enabled)
        return false;
    found->second.run();
    return true;
}

} // namespace tamr::qt
