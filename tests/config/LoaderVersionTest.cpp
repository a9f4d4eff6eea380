#include "config/LoaderVersion.h"

#include <gtest/gtest.h>

// Names and order of the builds a user may choose, and the banner each prints.
TEST(LoaderVersionTest, KnownBuildsAreNamedOrderedAndPrintTheirBanner)
{
    struct Row {
        const char* name;
        const char* bannerLine;
        bool assemblyCore;
    };
    const Row rows[] = {
        { "3.84", "ISOLINUX 3.84 2009-12-18 ETCD Copyright (C) 1994-2009 H. Peter Anvin et al", true },
        { "4.05", "ISOLINUX 4.05 2011-12-09 ETCD Copyright (C) 1994-2011 H. Peter Anvin et al", true },
        { "4.07", "ISOLINUX 4.07 2013-07-25 ETCD Copyright (C) 1994-2013 H. Peter Anvin et al", true },
        { "6.02", "ISOLINUX 6.02  ETCD Copyright (C) 1994-2013 H. Peter Anvin et al", false },
        { "6.03", "ISOLINUX 6.03 2014-10-06 ETCD Copyright (C) 1994-2014 H. Peter Anvin et al", false },
        { "6.04", "ISOLINUX 6.04 20200816 ETCD Copyright (C) 1994-2015 H. Peter Anvin et al", false },
    };
    const std::vector<LoaderVersion> known = LoaderVersion::Known();
    ASSERT_EQ(known.size(), std::size(rows));
    for (size_t index = 0; index < known.size(); ++index) {
        SCOPED_TRACE(rows[index].name);
        EXPECT_EQ(known[index].Name(), QString::fromLatin1(rows[index].name));
        EXPECT_EQ(known[index].BannerLine(), rows[index].bannerLine);
        EXPECT_EQ(known[index].AssemblyCore(), rows[index].assemblyCore);
        if (index > 0) {
            EXPECT_TRUE(known[index].AtLeast(known[index - 1].major, known[index - 1].minor));
            EXPECT_FALSE(known[index - 1].AtLeast(known[index].major, known[index].minor));
        }
    }
    EXPECT_EQ(LoaderVersion::Debian().BannerLine(), rows[5].bannerLine);
}
