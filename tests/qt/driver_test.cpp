#include <filesystem>
#include <fstream>

#include "tests/window/form1_fixture.h"

namespace trevalune::testing {
namespace {

class DriverTest : public StartedFormTest {
protected:
    void SetUp() override {
        StartedFormTest::SetUp();
        file = std::filesystem::path(folder.path().toStdU16String()) / "file.prn";
    }
    void write(const Bytes& content) { std::ofstream(file, std::ios::binary) << content; }
    std::filesystem::path file;
};

TEST_F(DriverTest, TheFileGoesOutWholeAndIsReadAgainAtEveryPress) {
    Bytes content;
    for (int i = 0; i < 1000; ++i) content += static_cast<char>(i % 256);
    write(content);
    click("Command14");
    write("\x1b@changed");
    click("Command14");
    ASSERT_EQ(spooler.payloads(), (std::vector<std::string>{content, "\x1b@changed"}));
    EXPECT_EQ(spooler.documents[0].name, "AAAAAA");
    EXPECT_EQ(form->fileBytes, "\x1b@changed");
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(DriverTest, AMissingOrEmptyFileIsReportedWithItsPathAndNothingIsSent) {
    click("Command14");
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_NE(messages.texts()[0].find(file.string()), std::string::npos) << messages.texts()[0];
    EXPECT_FALSE(std::filesystem::exists(file));  // looking never creates it

    write("");
    click("Command14");
    ASSERT_EQ(messages.texts().size(), 2u);
    EXPECT_NE(messages.texts()[1].find("空"), std::string::npos) << messages.texts()[1];
    EXPECT_TRUE(spooler.documents.empty());
}

}  // namespace
}  // namespace trevalune::testing
