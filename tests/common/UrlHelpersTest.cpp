#include "UrlHelpers.h"

#include <gtest/gtest.h>

using namespace vortalux;

TEST(ServerPart, CutsAfterTheSlashThatEndsTheHost)
{
    EXPECT_EQ(ServerPart("http://site/x/y"), "http://site/");
    EXPECT_EQ(ServerPart("http://site.com:8080/a"), "http://site.com:8080/");
    EXPECT_EQ(ServerPart("https://a.b/c"), "https://a.b/");
    EXPECT_EQ(ServerPart("http://s/"), ""); // 9 characters
    EXPECT_EQ(ServerPart("http://site"), "");
    EXPECT_EQ(ServerPart(""), "");
    // The search starts at the 10th character: a one-letter host's slash is not found.
    EXPECT_EQ(ServerPart("http://a/bcdef/g"), "http://a/bcdef/");
}

TEST(SplitUrl, TakesSchemeHostPortAndPath)
{
    std::string host, path;
    int port = 0;
    ASSERT_TRUE(SplitUrl("HTTP://Site:8080/Dir/Pic.JPG", host, port, path));
    EXPECT_EQ(host, "site");
    EXPECT_EQ(port, 8080);
    EXPECT_EQ(path, "Dir/Pic.JPG");

    ASSERT_TRUE(SplitUrl("http://site", host, port, path));
    EXPECT_EQ(host, "site");
    EXPECT_EQ(port, 80);
    EXPECT_EQ(path, "/");

    ASSERT_TRUE(SplitUrl("http://site/", host, port, path));
    EXPECT_EQ(path, "");

    ASSERT_TRUE(SplitUrl("https://Secure.example/a/b?c=1", host, port, path));
    EXPECT_EQ(host, "secure.example");
    EXPECT_EQ(port, 443);
    EXPECT_EQ(path, "a/b?c=1");

    ASSERT_TRUE(SplitUrl("ftp://files/x", host, port, path));
    EXPECT_EQ(port, 21);
}

TEST(SplitUrl, RefusesOtherSchemesAndBadPorts)
{
    std::string host = "kept", path = "kept";
    int port = 7;
    for (const char* bad : {"file:///etc/passwd", "site/x", "", "http:/x", "http://h:/x", "http://h:abc/x",
             "http://h:0/", "http://h:65536/", "http://h:80x/", "http://h:-1/"}) {
        EXPECT_FALSE(SplitUrl(bad, host, port, path)) << bad;
    }
    EXPECT_EQ(host, "kept");
    EXPECT_EQ(port, 7);
    EXPECT_EQ(path, "kept");
}

TEST(UrlFileName, TakesTheLastSegmentOrTheWholeAddress)
{
    EXPECT_EQ(UrlFileName("http://site/a/b.jpg"), "b.jpg");
    EXPECT_EQ(UrlFileName("http://site/a/"), "http://site/a/");
    EXPECT_EQ(UrlFileName("no-slash"), "no-slash");
    EXPECT_EQ(UrlFileName("http://site/a/b.jpg?x=1/2"), "2");
}

TEST(UrlFolder, DropsThePageName)
{
    EXPECT_EQ(UrlFolder("http://site/dir/page.html"), "http://site/dir/");
    EXPECT_EQ(UrlFolder("http://site/dir/"), "http://site/dir/");
    EXPECT_EQ(UrlFolder("http://site"), "http://site");
    EXPECT_EQ(UrlFolder("site/dir/page"), "site/dir/page");
    EXPECT_EQ(UrlFolder("http:///"), "http:///");
}
