// SmartPtrTest: registration, re-pointing, zeroing on the target's destruction, the logged mismatches.
#include "base/SmartPtr.h"

#include "base/Log.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

struct Target : SmartClass {
    int value = 0;
};

std::vector<std::string>& Lines()
{
    static std::vector<std::string> s_Lines;
    return s_Lines;
}

// Collects the log lines written while it lives.
class LogCapture {
public:
    LogCapture() : m_Previous(Log::GetEchoHook())
    {
        Lines().clear();
        Log::SetEchoHook([](const char* line) { Lines().push_back(line); });
    }
    ~LogCapture() { Log::SetEchoHook(m_Previous); }
    int Count(const char* text) const
    {
        int n = 0;
        for (const std::string& line : Lines())
            n += line.rfind(text, 0) == 0;
        return n;
    }

private:
    Log::EchoHook m_Previous;
};

}  // namespace

TEST(SmartPtrTest, EveryPointerReadsNullAfterTheTargetIsDestroyed)
{
    auto target = std::make_unique<Target>();
    SmartPtr<Target> a(target.get());
    SmartPtr<Target> b;
    b = target.get();
    SmartPtr<Target> c(b);  // a copy registers on its own
    EXPECT_EQ(a->value, 0);
    EXPECT_EQ(target->GetHolderCount(), 3);
    EXPECT_EQ(target->GetHolderCapacity(), 10);  // the third pointer grows the list from 2
    EXPECT_EQ(a.GetPointerID(), 0);
    EXPECT_EQ(b.GetPointerID(), 1);
    EXPECT_EQ(c.GetPointerID(), 2);

    target.reset();
    for (SmartPtr<Target>* p : {&a, &b, &c}) {
        EXPECT_EQ(p->Get(), nullptr);
        EXPECT_EQ(p->GetPointerID(), -1);
    }
    a.Release();  // nothing left to release
    EXPECT_EQ(a.Get(), nullptr);
}

TEST(SmartPtrTest, RepointingMovesTheRegistration)
{
    auto first = std::make_unique<Target>();
    Target second;
    SmartPtr<Target> p(first.get());
    SmartPtr<Target> other(first.get());
    p.Assign(first.get());  // same target: keeps its ID
    EXPECT_EQ(p.GetPointerID(), 0);
    EXPECT_EQ(first->GetHolderCount(), 2);

    p.Assign(&second);
    EXPECT_EQ(first->GetHolderCount(), 1);
    EXPECT_EQ(second.GetHolderCount(), 1);
    EXPECT_EQ(p.Get(), &second);
    first.reset();  // leaves p alone
    EXPECT_EQ(p.Get(), &second);
    EXPECT_EQ(other.Get(), nullptr);

    p.Assign(nullptr);
    EXPECT_EQ(p.GetPointerID(), -1);
    EXPECT_EQ(second.GetHolderCount(), 0);

    {
        SmartPtr<Target> scoped(&second);
        EXPECT_EQ(scoped.GetPointerID(), 0);  // the freed slot is taken again
    }
    EXPECT_EQ(second.GetHolderCount(), 0);  // the destructor unregisters

    Target copy(second);  // a copied target starts without holders
    SmartPtr<Target> q(&second);
    Target assigned;
    assigned = second;
    EXPECT_EQ(copy.GetHolderCount(), 0);
    EXPECT_EQ(assigned.GetHolderCount(), 0);
    EXPECT_EQ(second.GetHolderCount(), 1);
}

TEST(SmartPtrTest, BadReleasesAreLoggedAndChangeNothing)
{
    LogCapture log;
    Target target;
    SmartPtr<Target> p(&target);
    SmartPtr<Target> other(&target);
    struct Case {
        int32_t pointerID;
        SmartPtrBase* pointer;
        const char* line;
    };
    const Case cases[] = {
        {100, &p, "SmartClass: Invalid pointer ID"},
        {-1, &p, "SmartClass: Invalid pointer ID"},
        {5, &p, "SmartClass: Invalid pointer ID"},  // inside the capacity, empty
        {1, &p, "SmartClass: Pointer ID does not match pointer"},
    };
    for (const Case& c : cases) {
        int before = log.Count(c.line);
        target.ReleasePointerID(c.pointerID, c.pointer);
        EXPECT_EQ(log.Count(c.line), before + 1) << c.pointerID;
        EXPECT_EQ(target.GetHolderCount(), 2) << c.pointerID;
    }
    EXPECT_EQ(p.Get(), &target);
    EXPECT_EQ(other.Get(), &target);
}

TEST(SmartPtrTest, PointersHeldInASlotArray)
{
    auto target = std::make_unique<Target>();
    {
        DynaMem<SmartPtr<Target>, 4> list;
        for (int i = 0; i < 6; i++)
            list.GetBySlot(list.Add())->Assign(target.get());
        EXPECT_EQ(target->GetHolderCount(), 6);
        list.Delete(2);
        EXPECT_EQ(target->GetHolderCount(), 5);
        target->ZeroAllPointers();  // the target may also let go of all at once and stay usable
        EXPECT_EQ(target->GetHolderCount(), 0);
        EXPECT_EQ(list.GetAt(0)->Get(), nullptr);
        list.GetAt(0)->Assign(target.get());
        EXPECT_EQ(target->GetHolderCount(), 1);
    }
    EXPECT_EQ(target->GetHolderCount(), 0);
}
