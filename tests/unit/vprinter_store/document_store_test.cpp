#include "tools/virtual-printer/document_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "preview/document_names.h"
#include "tests/support/temp_folder.h"

namespace trevalune::vprinter {
namespace {

namespace fs = std::filesystem;

std::string read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(DocumentStoreTest, DocumentAppearsWholeUnderTheNextNumberOnlyWhenCommitted) {
    testing::TempFolder root;
    const fs::path folder = root.path() / "out";  // missing: the store creates it
    DocumentStore store(folder);
    store.begin()->write("dropped", 7);  // a document dropped unfinished leaves nothing
    auto doc = store.begin();
    doc->write("\x00\xFF", 2);
    doc->write("ab", 2);
    // Still arriving: nothing with a document name is there yet.
    for (const auto& e : fs::directory_iterator(folder))
        EXPECT_EQ(preview::documentNumber(e.path().filename()), -1) << e.path();
    EXPECT_EQ(doc->commit(), folder / "doc-000001.prn");
    EXPECT_EQ(read(folder / "doc-000001.prn"), std::string("\0\xFF", 2) + "ab");
    EXPECT_EQ(store.begin()->commit(), folder / "doc-000002.prn");  // an empty one is kept
    // The temporary names are gone.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
}

TEST(DocumentStoreTest, NumberingContinuesAfterExistingFilesAndNeverOverwrites) {
    testing::TempFolder root;
    const fs::path& folder = root.path();
    for (const char* name : {"doc-000007.prn", "doc-000003.prn", "doc-99.txt", "notes"})
        std::ofstream(folder / name) << "old";
    DocumentStore store(folder);
    EXPECT_EQ(store.begin()->commit(), folder / "doc-000008.prn");
    std::ofstream(folder / "doc-000009.prn") << "old";  // another writer took the next number
    auto second = store.begin();
    second->write("B", 1);
    EXPECT_EQ(second->commit(), folder / "doc-000010.prn");
    EXPECT_EQ(read(folder / "doc-000009.prn"), "old");
    EXPECT_EQ(read(folder / "doc-000010.prn"), "B");
}

TEST(DocumentStoreNames, NumberedNamesAndNamesThatAreNotDocuments) {
    EXPECT_EQ(preview::documentFileName(42), "doc-000042.prn");
    for (const char* name : {"doc-.prn", "doc-12a.prn", "doc-000001.prn.part", ".incoming-1-1",
                             "x-000001.prn", "doc-000001.txt", "doc--1.prn"}) {
        EXPECT_EQ(preview::documentNumber(name), -1) << name;
    }
}

}  // namespace
}  // namespace trevalune::vprinter
