// TfxChangeLink: what an object hands to a notifier (a picture, a button)
// to be told of its changes. The link belongs to whoever made it; a
// notifier only lists it, so the maker takes it out of the notifier's list
// before it frees the link.
#pragma once

#include "classes/Classes.h"
#include "classes/Events.h"

namespace menvaro {

class TfxChangeLink : public TObject {
    MENVARO_CLASS(TfxChangeLink, TObject)
public:
    // Each calls its event, when assigned, with Sender.
    virtual void Change();
    virtual void Changing();
    virtual void Loaded();

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;
    TNotifyEvent OnLoaded;
    // Set by the notifier to itself just before it calls Change.
    TObject* Sender = nullptr;
};

}  // namespace menvaro
