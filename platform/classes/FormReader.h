// The form reader: applies a parsed form resource to a root component (a
// form, a data module, a control that loads its own layout), creating the
// components it names from the class registry, setting their published
// properties, binding handler names to the root's published methods and
// resolving component references once everything is read.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "classes/Classes.h"
#include "classes/FormParser.h"

namespace menvaro {

class TLoadSession;

// Reads one object of a form file; a component's ReadState gets one.
class TComponentReader {
public:
    TComponentReader(TLoadSession& session, const TFormObject& node) : session_(session), node_(node) {}
    // The properties, then the child objects.
    void ReadBody(TComponent* component);
    const TFormObject& Node() const { return node_; }
    const std::string& FileName() const;

private:
    TLoadSession& session_;
    const TFormObject& node_;
};

// Reads `document` into `root`, which exists already. The document's root
// object must name root's class (or, in a chain of resources, an ancestor).
// Raises EFormError "<file>:<line>: <what>" for anything it cannot apply.
void ReadComponentDocument(TComponent* root, const TFormDocument& document);
void ReadComponentText(TComponent* root, std::string_view text, const std::string& fileName);

// Reads the embedded resources of root's class and of its ancestors below
// `stopClass`, the most basic first, as one load (Loaded runs once, at the
// end). Returns false when none of these classes has a resource.
bool InitInheritedComponent(TComponent* root, const TClassInfo& stopClass);

// "Root.Component" references reach other roots (forms, data modules)
// through the finders registered here.
void RegisterFindGlobalComponent(std::function<TComponent*(std::string_view name)> finder);
TComponent* FindGlobalComponent(std::string_view name);
// References to roots that did not exist yet are kept and resolved when a
// later root finishes loading; these drop the ones of a dying component.
void RemoveFixupReferences(TComponent* component);
void GlobalFixupReferences();
// How many references still wait for their root.
int PendingGlobalFixups();

}  // namespace menvaro
