#include "tools/virtual-printer/document_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "tests/support/temp_folder.h"

namespace trevalune::vprinter {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

class DocumentStoreTest : public ::testing::Test {
protected:
    std::set<std::string> names() const {
        std::set<std::string> out;
        for (const auto& e : fs::directory_iterator(folder)) out.insert(e.path().filename());
        return out;
    }
    static std::string read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void touch(const fs::path& p) { std::ofstream(p) << "old"; }

    testing::TempFolder root;
    const fs::path folder = root.path() / "out";  // missing: the store creates it
};

TEST_F(DocumentStoreTest, DocumentAppearsWholeUnderTheNextNumberOnlyWhenCommitted) {
    DocumentStore store(folder);
    store.begin()->write("dropped", 7);  // a document dropped unfinished leaves nothing
    auto doc = store.begin();
    doc->write("\x00\xFF", 2);
    doc->write("ab", 2);
    // Still arriving: nothing with a document name is there yet.
    for (const auto& n : names()) EXPECT_EQ(DocumentStore::numberOf(n), -1) << n;

    const fs::path published = doc->commit();
    EXPECT_EQ(published, folder / "doc-000001.prn");
    EXPECT_EQ(read(published), std::string("\0\xFF", 2) + "ab");
    EXPECT_THAT(names(), ElementsAre("doc-000001.prn"));            // the temporary name is gone
    EXPECT_EQ(store.begin()->commit(), folder / "doc-000002.prn");  // an empty one is kept
}

TEST_F(DocumentStoreTest, NumberingContinuesAfterExistingFilesAndNeverOverwrites) {
    fs::create_directories(folder);
    touch(folder / "doc-000007.prn");
    touch(folder / "doc-000003.prn");
    touch(folder / "doc-99.txt");
    touch(folder / "notes");
    DocumentStore store(folder);
    auto first = store.begin();
    first->write("A", 1);
    EXPECT_EQ(first->commit(), folder / "doc-000008.prn");

    touch(folder / "doc-000009.prn");  // another writer took the next number meanwhile
    auto second = store.begin();
    second->write("B", 1);
    EXPECT_EQ(second->commit(), folder / "doc-000010.prn");
    EXPECT_EQ(read(folder / "doc-000009.prn"), "old");
    EXPECT_EQ(read(folder / "doc-000010.prn"), "B");
}

TEST(DocumentStoreNames, NumbersRoundTripAndOtherNamesAreNotDocuments) {
    EXPECT_EQ(DocumentStore::numberOf(DocumentStore::fileName(1234567)), 1234567);
    EXPECT_EQ(DocumentStore::fileName(42), "doc-000042.prn");
    for (const char* name : {"doc-.prn", "doc-12a.prn", "doc-000001.prn.part", ".incoming-1-1",
                             "x-000001.prn", "doc-000001.txt", "doc--1.prn"}) {
        EXPECT_EQ(DocumentStore::numberOf(name), -1) << name;
    }
}

}  // namespace
}  // namespace trevalune::vprinter
