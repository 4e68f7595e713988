// DXC_ResourceManagerTemplateTest: sharing by key and by object, reference counts, the lowest free
// id, errors for bad ids, and the acquired state of a resource.
#include "engine/gfx/DXC_ResourceManagerTemplate.h"

#include "support/ErrorOf.h"

#include <gtest/gtest.h>

namespace {

int a, b, c;  // stand-ins for platform objects; only their addresses are stored

}  // namespace

TEST(DXC_ResourceManagerTemplate, SharingAndCounts)
{
    DXC_ImageManager manager;
    EXPECT_STREQ(manager.GetName(), "ResourceManager");
    EXPECT_EQ(manager.Acquire("tex.dds_10"), -1);  // empty manager
    EXPECT_EQ(manager.Add(&a, "tex.dds_10", "models\\tex.dds"), 0);
    EXPECT_EQ(manager.Add(&b, "other.dds_20", nullptr), 1);
    EXPECT_EQ(manager.Acquire("TEX.DDS_10"), 0);  // keys ignore letter case
    EXPECT_EQ(manager.GetReferenceCount(0), 2);
    EXPECT_EQ(manager.AcquireByResource(&b), 1);
    EXPECT_EQ(manager.AcquireByResource(&c), -1);
    EXPECT_STREQ(manager.GetRecordOf(0)->name.c_str(), "models\\tex.dds");
    EXPECT_STREQ(manager.GetRecordOf(1)->name.c_str(), "");

    // The last of two sharers reports the release once.
    EXPECT_EQ(manager.Unacquire(0), 0);
    EXPECT_EQ(manager.Unacquire(0), 1);
    EXPECT_FALSE(manager.IsValidID(0));
    EXPECT_EQ(manager.GetReferenceCount(0), 0);
    EXPECT_EQ(manager.GetCount(), 1);
    EXPECT_EQ(manager.Add(&c, "third_1", ""), 0);  // the lowest free id is taken first
    EXPECT_EQ(manager.GetEntry(0)->resource, &c);
    EXPECT_EQ(manager.GetEntry(1)->resource, &b);
    EXPECT_EQ(manager.Unacquire(-1), 1);
    EXPECT_EQ(manager.Acquire(-1), -1);
    EXPECT_EQ(manager.GetReferenceCount(-1), 0);

    struct Case {
        std::function<void()> action;
        const char* message;
    } errors[] = {
        {[&] { manager.Acquire(""); }, "Invalid file name in Acquire!"},
        {[&] { manager.Acquire(5); }, "Invalid ID number in Acquire:5"},
        {[&] { manager.Acquire(99999); }, "Invalid ID number in Acquire:99999"},
        {[&] { manager.Unacquire(7); }, "Invalid ID number in Unacquire"},
    };
    for (const Case& e : errors)
        EXPECT_EQ(DxcErrorOf(e.action), e.message);
    DXC_ImageManager empty;
    EXPECT_EQ(DxcErrorOf([&] { empty.Acquire(""); }), "Invalid file name in Acquire!");
}

TEST(DXC_ResourceManagerTemplate, AcquiredState)
{
    DXC_ResourceManager manager;
    DXC_ResourceBase resource;
    EXPECT_FALSE(resource.IsAcquired());  // fresh: no manager
    resource.resourceManager = &manager;
    resource.resourceId = manager.Add(&a, "", "");
    EXPECT_TRUE(resource.IsAcquired());
    manager.GetEntry(0)->resource = nullptr;  // a released device object keeps its entry
    EXPECT_FALSE(resource.IsAcquired());
    manager.GetEntry(0)->resource = &a;
    manager.Unacquire(resource.resourceId);
    EXPECT_FALSE(resource.IsAcquired());  // the slot is free though the id is still held
    resource.ResetResource();
    EXPECT_EQ(resource.resourceId, -1);
    EXPECT_EQ(resource.resourceManager, nullptr);
}
