#pragma once
// What each command does and when it may be done, registered once per
// command; carrying out and enabling a command are lookups here.

#include <functional>
#include <unordered_map>

namespace tamr::qt {

struct CommandState {
    bool enabled = false;
    bool checked = false;
};

class CommandBindings {
public:
    using Run = std::function<void()>;
    using State = std::function<CommandState()>;

    // One registration per identifier; a later one replaces an earlier one.
    void Bind(int id, State state, Run run);

    // Disabled for an identifier nobody registered.
    CommandState StateOf(int id) const;
    // Runs the command when it is registered and enabled; false otherwise.
    bool RunIfEnabled(int id) const;

private:
    struct Binding {
        State state;
        Run run;
    };
    std::unordered_map<int, Binding> bindings_;
};

} // namespace tamr::qt
