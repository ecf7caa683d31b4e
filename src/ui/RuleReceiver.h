#pragma once

#include <string>
#include <vector>

// What the rule proposals of the match view need of the editor window: the
// names its property lists show, the IP rules its controls hold, and taking
// a proposal over into the controls while a router is being changed or
// made. Texts are Windows-1252.
class TRuleReceiver {
public:
    enum class TEditing { None, Existing, New };

    virtual ~TRuleReceiver() = default;

    virtual TEditing Editing() const = 0;
    // The saved name of the router being changed.
    virtual std::string EditedRouterName() const = 0;
    // The names in the property list of status query 2 to 4, in list order.
    virtual std::vector<std::string> PropertyNames(int statusQuery) const = 0;
    virtual std::string BeforeIPAddress() const = 0;
    virtual std::string AfterIPAddress() const = 0;

    // Only while a router is being changed or made; the user saves as usual.
    virtual void TakeOverAddressRule(const std::string& before, const std::string& after) = 0;
    // The row of that name gets the code; without one, a row is added.
    virtual void TakeOverPropertyRule(int statusQuery, const std::string& name, const std::string& code) = 0;
    virtual void TakeOverOfflineCode(const std::string& code) = 0;
};
