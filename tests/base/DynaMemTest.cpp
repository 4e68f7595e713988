// DynaMemTest: slot numbers, growth, the used-slot index, the lock, sorting and the errors.
#include "base/DynaMem.h"

#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// Counts live instances, so that ownership shows.
struct Counted {
    static int s_Live;
    int value = 0;
    Counted() { s_Live++; }
    ~Counted() { s_Live--; }
};
int Counted::s_Live = 0;

template <int N> int32_t CapacityAfterOneMoreThan()
{
    DynaMem<int, N> list;
    for (int i = 0; i <= N; i++)
        list.Add();
    return list.GetCapacity();
}

}  // namespace

TEST(DynaMemTest, GrowsByAQuarterPlusEight)
{
    EXPECT_EQ(CapacityAfterOneMoreThan<0>(), 8);
    EXPECT_EQ(CapacityAfterOneMoreThan<2>(), 10);
    EXPECT_EQ(CapacityAfterOneMoreThan<8>(), 18);
    EXPECT_EQ(CapacityAfterOneMoreThan<4096>(), 5128);
}

TEST(DynaMemTest, SlotNumbersSurviveGrowthAndDeletes)
{
    DynaMem<Counted, 8> list;
    for (int i = 0; i < 9; i++) {
        int32_t slot = list.Add();
        ASSERT_EQ(slot, i);
        list.GetBySlot(slot)->value = 100 + i;
    }
    EXPECT_EQ(list.GetCapacity(), 18);
    for (int i = 0; i < 9; i++)
        EXPECT_EQ(list.GetBySlot(i)->value, 100 + i);

    EXPECT_EQ(list.Delete(3), 1);
    EXPECT_EQ(list.GetBySlot(3), nullptr);
    EXPECT_EQ(list.GetSize(), 8);
    EXPECT_EQ(list.Add(), 3);  // the lowest free slot is taken again
    EXPECT_EQ(list.Add(), 9);
}

TEST(DynaMemTest, PositionsFollowTheUsedSlots)
{
    DynaMem<Counted, 4> list;
    for (int i = 0; i < 3; i++)
        list.GetBySlot(list.Add())->value = i;
    list.Delete(1);
    ASSERT_EQ(list.GetSize(), 2);
    EXPECT_EQ(list.GetAt(0)->value, 0);
    EXPECT_EQ(list.GetAt(1)->value, 2);
    EXPECT_EQ(list.GetUsedSlot(1), 2);
    EXPECT_EQ(list.Find(2), 1);
    EXPECT_EQ(list.Find(1), -1);
    EXPECT_EQ(list.IndexOf(list.GetAt(1)), 2);

    struct Case { int32_t position; };
    for (Case c : {Case{-1}, Case{2}, Case{4}, Case{1 << 30}}) {
        EXPECT_EQ(list.GetAt(c.position), nullptr) << c.position;
        EXPECT_EQ(list.GetUsedSlot(c.position), -1) << c.position;
    }
    for (int32_t slot : {-1, 1, 4, 1 << 30})
        EXPECT_EQ(list.GetBySlot(slot), nullptr) << slot;
}

TEST(DynaMemTest, NeverUsedListIsEmptyEverywhere)
{
    DynaMem<Counted, 4> list;
    list.DeleteAll();
    EXPECT_EQ(list.GetSize(), 0);
    EXPECT_EQ(list.GetAt(0), nullptr);
    EXPECT_EQ(list.GetBySlot(0), nullptr);
    EXPECT_EQ(list.Find(0), -1);
    EXPECT_EQ(list.IndexOf(nullptr), -1);
}

TEST(DynaMemTest, OwnsItsElements)
{
    ASSERT_EQ(Counted::s_Live, 0);
    {
        DynaMem<Counted, 2> list;
        for (int i = 0; i < 5; i++)
            list.Add();
        EXPECT_EQ(Counted::s_Live, 5);
        list.Delete(4);
        EXPECT_EQ(Counted::s_Live, 4);
        list.DeleteAll();
        EXPECT_EQ(Counted::s_Live, 0);
        EXPECT_EQ(list.GetSize(), 0);
        EXPECT_EQ(list.Add(), 0);
        list.Add();
    }
    EXPECT_EQ(Counted::s_Live, 0);  // the destructor deletes what is left
}

TEST(DynaMemTest, ErrorsLeaveTheListUnchanged)
{
    DynaMem<Counted, 2> list;
    list.Add();
    list.Add();
    struct Case {
        const char* what;
        std::function<void()> act;
        const char* message;
    };
    const Case cases[] = {
        {"delete an empty slot", [&] { list.Delete(2); }, "Can not delete object nr: 2"},
        {"delete a negative slot", [&] { list.Delete(-1); }, "Can not delete object nr: -1"},
        {"delete past the capacity", [&] { list.Delete(1000); }, "Can not delete object nr: 1000"},
        {"shrink below the top slot", [&] { list.SetSize(1); }, "New size too small"},
        {"negative size", [&] { list.SetSize(-5); }, "New size too small"},
        {"grow a full locked list",
         [&] {
             list.Lock();
             try {
                 list.Add();
             } catch (...) {
                 list.Unlock();
                 throw;
             }
         },
         "Can not expand fixed list"},
        {"resize a locked list",
         [&] {
             list.Lock();
             try {
                 list.SetSize(50);
             } catch (...) {
                 list.Unlock();
                 throw;
             }
         },
         "Can not SetSize() of fixed list"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ErrorOf(c.act), c.message) << c.what;
        EXPECT_EQ(list.GetSize(), 2) << c.what;
        EXPECT_EQ(list.GetCapacity(), 2) << c.what;
        EXPECT_EQ(list.GetLockCount(), 0) << c.what;
    }
}

TEST(DynaMemTest, SetSizeKeepsSlotsAndIndex)
{
    DynaMem<Counted, 4> list;
    for (int i = 0; i < 4; i++)
        list.GetBySlot(list.Add())->value = i;
    list.Delete(0);
    list.Delete(3);
    list.SetSize(3);  // top used slot is 2
    EXPECT_EQ(list.GetCapacity(), 3);
    ASSERT_EQ(list.GetSize(), 2);
    EXPECT_EQ(list.GetAt(0)->value, 1);
    EXPECT_EQ(list.GetAt(1)->value, 2);
    EXPECT_EQ(list.Add(), 0);

    DynaMem<Counted, 4> empty;
    empty.SetSize(0);
    EXPECT_EQ(empty.GetCapacity(), 0);
    EXPECT_EQ(empty.Add(), 0);
    EXPECT_EQ(empty.GetCapacity(), 8);
}

// Slots across page edges keep their elements through growth past one page, a move far out,
// shrinking back and a copy; the storage follows the filled pages, not the capacity.
TEST(DynaMemTest, PagedSlotsSurviveGrowthMovesAndShrinking)
{
    DynaMem<Counted, 1000> list;
    for (int i = 0; i < 2100; i++)
        list.GetBySlot(list.Add())->value = i;  // grows from one short page to three pages
    for (int32_t slot : {1023, 1024, 2047, 2048})
        EXPECT_EQ(list.GetBySlot(slot)->value, slot);
    const size_t threePages = list.GetStorageBytes();
    const int32_t capacity = list.GetCapacity();

    const int32_t far = (1 << 24) - 1;
    ASSERT_TRUE(list.MoveSlot(1024, far, true));
    EXPECT_EQ(list.GetCapacity(), capacity / 4 + far + 8);
    EXPECT_EQ(list.GetBySlot(far)->value, 1024);
    EXPECT_EQ(list.GetBySlot(1024), nullptr);
    EXPECT_LT(list.GetStorageBytes(), threePages + (size_t(1) << 18));  // a directory and one page more
    std::vector<int32_t> walked;
    for (int32_t slot = list.NextUsedSlot(2090); slot >= 0; slot = list.NextUsedSlot(slot))
        walked.push_back(slot);
    EXPECT_EQ(walked, (std::vector<int32_t>{2091, 2092, 2093, 2094, 2095, 2096, 2097, 2098, 2099, far}));
    EXPECT_EQ(list.GetUsedSlot(list.GetSize() - 1), far);
    EXPECT_EQ(list.Add(), 1024);  // the lowest free slot

    DynaMem<Counted, 1000> copy;
    copy.CopyElementsFrom(list);
    EXPECT_EQ(copy.GetSize(), 2101);
    EXPECT_EQ(copy.GetBySlot(2100)->value, 1024);  // copied in slot order: the far one last

    list.Delete(far);
    for (int32_t slot = 2099; slot >= 300; slot--)
        list.Delete(slot);
    list.SetSize(300);  // back below one page
    EXPECT_EQ(list.GetCapacity(), 300);
    EXPECT_EQ(list.GetBySlot(299)->value, 299);
    EXPECT_EQ(list.NextUsedSlot(299), -1);
    EXPECT_LT(list.GetStorageBytes(), 300 * (sizeof(Counted*) + sizeof(int32_t)) + 64);
}

// A walk by position under the lock: deleted elements read null, no position past the
// elements present at locking is reachable, and the index catches up after unlocking.
TEST(DynaMemTest, LockedWalkIsBounded)
{
    DynaMem<Counted, 8> list;
    for (int i = 0; i < 4; i++)
        list.GetBySlot(list.Add())->value = i;
    list.Delete(1);  // index dirty when the lock is taken
    list.Lock();
    list.Lock();
    EXPECT_EQ(list.GetLockCount(), 2);
    ASSERT_EQ(list.GetSize(), 3);
    list.Delete(2);       // the element at position 1
    int32_t added = list.Add();  // takes slot 1, not part of this walk
    EXPECT_EQ(added, 1);

    struct Case {
        int32_t position;
        int expected;  // -1: null
    };
    const Case cases[] = {{0, 0}, {1, -1}, {2, 3}, {3, -1}, {-1, -1}, {7, -1}, {8, -1}, {1000, -1}};
    for (const Case& c : cases) {
        Counted* element = list.GetAt(c.position);
        EXPECT_EQ(element ? element->value : -1, c.expected) << c.position;
    }

    list.Unlock();
    list.Unlock();
    list.Unlock();  // never below 0
    EXPECT_EQ(list.GetLockCount(), 0);
    ASSERT_EQ(list.GetSize(), 3);
    EXPECT_EQ(list.GetUsedSlot(0), 0);
    EXPECT_EQ(list.GetUsedSlot(1), 1);
    EXPECT_EQ(list.GetUsedSlot(2), 3);
    EXPECT_EQ(list.GetAt(3), nullptr);
}

TEST(DynaMemSortTest, SortsPositionsUntilTheNextChange)
{
    DynaMemSort<int, 8> list;
    const int values[] = {5, -2, 9, 0, 7};
    for (int v : values)
        *list.GetBySlot(list.Add()) = v;
    list.Delete(3);  // value 0
    list.Sort();
    std::vector<int> sorted;
    for (int32_t i = 0; i < list.GetSize(); i++)
        sorted.push_back(*list.GetAt(i));
    EXPECT_EQ(sorted, (std::vector<int>{-2, 5, 7, 9}));
    EXPECT_EQ(*list.GetBySlot(4), 7);  // slots do not move

    list.Sort([](int a, int b) { return a > b; });
    EXPECT_EQ(*list.GetAt(0), 9);

    // Resizing a sorted list keeps every element, although its index is not in slot order.
    list.SetSize(40);
    EXPECT_EQ(list.GetSize(), 4);
    EXPECT_EQ(*list.GetBySlot(4), 7);
    EXPECT_EQ(*list.GetAt(0), 9);

    list.Add();  // back to slot order
    EXPECT_EQ(list.GetUsedSlot(0), 0);
    EXPECT_EQ(*list.GetAt(0), 5);

    DynaMemSort<int, 2> empty;
    empty.Sort();
    EXPECT_EQ(empty.GetAt(0), nullptr);
}

TEST(DynaPtrListTest, HoldsTheCallersObjects)
{
    Counted a, b, c;
    DynaPtrList<Counted*, 2> list;
    EXPECT_EQ(list.IndexOf(&a), -1);
    EXPECT_EQ(list.Add(&a), 0);
    EXPECT_EQ(list.Add(&b), 1);
    EXPECT_EQ(list.Add(&c), 2);
    EXPECT_EQ(list.GetCapacity(), 10);
    EXPECT_EQ(list.IndexOf(&c), 2);
    EXPECT_EQ(list.Delete(1), 1);
    EXPECT_EQ(Counted::s_Live, 3);  // the object stays alive
    EXPECT_EQ(list.IndexOf(&b), -1);
    EXPECT_EQ(list.GetAt(1), &c);
    EXPECT_EQ(list.Find(2), 1);
    EXPECT_EQ(list.GetFreeSlot(), 1);

    EXPECT_EQ(ErrorOf([&] { list.Delete(1); }), "Can not delete object nr: 1");
    EXPECT_EQ(ErrorOf([&] { list.Add(nullptr); }), "Null pointer added !");
    EXPECT_EQ(list.GetSize(), 2);

    list.RemoveAll();
    EXPECT_EQ(list.GetSize(), 0);
    EXPECT_EQ(Counted::s_Live, 3);
}

TEST(DynaPtrListTest, DeleteAllDeletesTheObjects)
{
    DynaPtrList<Counted*> list;
    for (int i = 0; i < 6; i++)
        list.Add(new Counted);
    EXPECT_EQ(Counted::s_Live, 6);
    list.DeleteAll();
    EXPECT_EQ(Counted::s_Live, 0);
    EXPECT_EQ(list.GetSize(), 0);
    EXPECT_EQ(list.Add(new Counted), 0);
    list.DeleteAll();
}

TEST(DynaPtrListTest, AssignCopiesSlotsAndIndex)
{
    int v[4] = {};
    DynaPtrList<int*, 4> source;
    for (int& x : v)
        source.Add(&x);
    source.Delete(0);
    DynaPtrList<int*, 2> copy;
    copy.Add(&v[0]);
    copy.Assign(source);
    EXPECT_EQ(copy.GetCapacity(), 4);
    EXPECT_EQ(copy.GetSize(), 3);
    EXPECT_EQ(copy.GetBySlot(0), nullptr);
    EXPECT_EQ(copy.GetAt(0), &v[1]);
    EXPECT_EQ(copy.GetAt(2), &v[3]);
    EXPECT_EQ(copy.Add(&v[0]), 0);
    EXPECT_EQ(source.GetSize(), 3);  // the source is untouched
}

TEST(DynaPtrListTest, MoveToPosRotatesBetweenPositions)
{
    int v[5] = {};
    auto order = [&](DynaPtrList<int*>& list) {
        std::vector<int> out;
        for (int32_t i = 0; i < list.GetSize(); i++)
            out.push_back(int(list.GetAt(i) - v));
        return out;
    };
    struct Case {
        int32_t from, to;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {0, 3, {1, 2, 3, 0, 4}},
        {4, 1, {0, 4, 1, 2, 3}},
        {2, 2, {0, 1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        DynaPtrList<int*> list;
        for (int& x : v)
            list.Add(&x);
        list.MoveToPos(c.from, c.to);
        EXPECT_EQ(order(list), c.expected) << c.from << "->" << c.to;
    }

    DynaPtrList<int*> list;
    list.Add(&v[0]);
    list.Add(&v[1]);
    EXPECT_EQ(ErrorOf([&] { list.MoveToPos(-1, 0); }), "Invalid element in MoveToPos( -1, 0 )");
    EXPECT_EQ(ErrorOf([&] { list.MoveToPos(0, 2); }), "Invalid position in MoveToPos( 0, 2 )");
    EXPECT_EQ(order(list), (std::vector<int>{0, 1}));
}
