// People of the stand-in tower: the document pools them, and the chains a tenant threads through its people
// are kept here, one link per person.
#include "WbPeople.h"

#include <mutex>
#include <unordered_map>

namespace {

// A tower's thread and a dialog may both reach a chain, so the links are looked at under a lock; only a
// tenant's info dialog threads and follows them.
struct WbPeopleLinks {
    std::mutex lock;
    std::unordered_map<const WbPeople*, WbPeople*> next;
};

WbPeopleLinks& Links()
{
    static WbPeopleLinks links;
    return links;
}

} // namespace

WbPeople* WbPeople::GetNextLink() const
{
    WbPeopleLinks& links = Links();
    const std::lock_guard guard(links.lock);
    const auto found = links.next.find(this);
    return found == links.next.end() ? nullptr : found->second;
}

void WbPeople::SetNextLink(WbPeople* next)
{
    WbPeopleLinks& links = Links();
    const std::lock_guard guard(links.lock);
    if (next)
        links.next.insert_or_assign(this, next);
    else
        links.next.erase(this);
}

void WbPeople::ForgetLinks(const std::function<bool(const WbPeople*)>& picked)
{
    WbPeopleLinks& links = Links();
    const std::lock_guard guard(links.lock);
    std::erase_if(links.next, [&picked](const auto& link) { return picked(link.first); });
}
