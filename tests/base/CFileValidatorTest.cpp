// CFileValidator: the order of tries over base directory, directories and extensions.
#include "base/CFileValidator.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(CFileValidatorTest, ListsKeepOneEntryEach)
{
    CFileValidator validator;
    validator.AddPath("Data\\Scenes");
    validator.AddPath("data\\scenes\\");
    validator.AddPath("");
    EXPECT_EQ(validator.GetPathCount(), 2);
    validator.AddExtension("3sc");
    validator.AddExtension("3SC");
    validator.AddExtension("rtx");
    EXPECT_EQ(validator.GetExtensionCount(), 2);
    validator.SetBaseDirectory("base");
    EXPECT_STREQ(validator.GetBaseDirectory().c_str(), "base\\");
    validator.SetBaseDirectory("base/");
    EXPECT_STREQ(validator.GetBaseDirectory().c_str(), "base/");
    validator.SetBaseDirectory("");
    EXPECT_STREQ(validator.GetBaseDirectory().c_str(), "");
}

TEST(CFileValidatorTest, FindsTheFirstVariantThatExists)
{
    TempDir dir;
    std::string root = dir("");
    std::filesystem::create_directories(dir("models"));
    std::filesystem::create_directories(dir("base"));
    CFileValidator validator;
    validator.AddExtension("3sc");
    validator.AddExtension("rtx");
    validator.AddPath((root + "models").c_str());
    validator.SetBaseDirectory((root + "base").c_str());

    String name("robot");
    EXPECT_TRUE(validator.FindFileInSearchPaths(name).IsEmpty());
    TempDir::WriteAll(dir("models/robot.rtx"), {'x'});
    EXPECT_STREQ(validator.FindFileInSearchPaths(name).c_str(), (root + "models\\robot.rtx").c_str());
    TempDir::WriteAll(dir("models/robot.3sc"), {'x'});
    EXPECT_STREQ(validator.FindFileInSearchPaths(name).c_str(), (root + "models\\robot.3sc").c_str());
    TempDir::WriteAll(dir("models/robot"), {'x'});
    EXPECT_STREQ(validator.FindFileInSearchPaths(name).c_str(), (root + "models\\robot").c_str());
    TempDir::WriteAll(dir("base/robot.rtx"), {'x'});  // the base directory comes first
    EXPECT_STREQ(validator.FindFileInSearchPaths(name).c_str(), (root + "base\\robot.rtx").c_str());

    // An absolute name is tried only as it is.
    String absolute((root + "robot").c_str());
    EXPECT_TRUE(validator.FindFileInSearchPaths(absolute).IsEmpty());
    String found;
    EXPECT_TRUE(validator.TryFileVariants(String((root + "models/robot.x").c_str()), found));
    EXPECT_STREQ(found.c_str(), (root + "models/robot.3sc").c_str());
    EXPECT_TRUE(validator.FindFileInSearchPaths(String()).IsEmpty());

    CFileValidator plain;  // nothing set: a relative name as it is, against the working directory
    std::string relative = std::filesystem::relative(dir("models/robot"), std::filesystem::current_path()).string();
    EXPECT_STREQ(plain.FindFileInSearchPaths(String(relative.c_str())).c_str(), relative.c_str());
}
