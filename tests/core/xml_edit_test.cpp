// xml_edit: documents in files and memory, searches, changes, and text that
// XML cannot hold.
#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>
#include <string>
#include "utf.h"
#include "wine_host.h"
#include "xml_edit.h"

namespace {

// A folder of its own for one test's files; ANSI paths inside it.
class scratch_folder {
public:
    scratch_folder() {
        std::string unix_folder;
        ok_ = wine_host::make_state_folder("xml", folder_, unix_folder);
    }
    ~scratch_folder() { wine_host::remove_state_folder(folder_); }
    bool ok() const { return ok_; }
    std::wstring wide(const wchar_t* name) const { return folder_ + L"\\" + name; }
    std::string ansi(const wchar_t* name) const { return utf::utf16_to_ansi(wide(name).c_str()).value(); }
    std::string read(const wchar_t* name) const { return wine_host::read_file(wide(name)); }
    bool write(const wchar_t* name, const std::string& data) const {
        return wine_host::write_file_atomic(wide(name), data);
    }

private:
    std::wstring folder_;
    bool ok_ = false;
};

std::string attr_of(xml_edit& doc, xmlNodePtr node, const char* name) {
    char buffer[1024] = "<untouched>";
    xmlAttrPtr attr = doc.get_attr(node, name);
    if (!attr) return "<no attribute>";
    return doc.get_attr_value(attr, buffer, sizeof(buffer)) ? buffer : "<no text>";
}

std::string value_of(xml_edit& doc, xmlNodePtr node) {
    char buffer[1024] = "<untouched>";
    return doc.get_node_value(node, buffer, sizeof(buffer)) ? buffer : "<no text>";
}

const char sample[] =
    "<?xml version=\"1.0\"?>\n"
    "<Playlist version=\"1\">\n"
    "  <!-- a comment -->\n"
    "  <group name=\"g\">\n"
    "    <FILE path=\"a.mp3\" id=\"2\">xxABCxx</FILE>\n"
    "    <playlist>inner</playlist>\n"
    "  </group>\n"
    "  <file path=\"b.mp3\" id=\"1\" other=\"1\">Tom &amp; Jerry</file>\n"
    "</Playlist>\n";

}  // namespace

TEST(xml_edit, opens_a_missing_file_as_an_empty_document) {
    scratch_folder dir;
    ASSERT_TRUE(dir.ok());
    std::string path = dir.ansi(L"new.cpl");
    xml_edit doc;
    ASSERT_TRUE(doc.open(path.c_str()));
    EXPECT_FALSE(doc.parse_failed());
    EXPECT_EQ(doc.get_root_node(), nullptr);
    EXPECT_EQ(doc.find_node("file"), nullptr);
    EXPECT_EQ(doc.search_node_by_attr_value("1", true, true), nullptr);
    ASSERT_TRUE(doc.save());
    EXPECT_EQ(dir.read(L"new.cpl"), "<?xml version=\"1.0\"?>\n");
    EXPECT_FALSE(doc.save());  // the document went with the first save
    EXPECT_FALSE(doc.save(path.c_str()));
}

TEST(xml_edit, builds_saves_and_reopens_a_document) {
    scratch_folder dir;
    ASSERT_TRUE(dir.ok());
    std::string path = dir.ansi(L"list.cpl");
    {
        xml_edit doc;
        ASSERT_TRUE(doc.open(path.c_str()));
        xmlNodePtr root = doc.add_root_node("playlist", nullptr);
        ASSERT_NE(root, nullptr);
        xmlNodePtr file = doc.add_node(root, "file", nullptr);
        ASSERT_NE(file, nullptr);
        EXPECT_NE(doc.add_attr(file, "path", "C:\\\xEC\x9D\x8C\xEC\x95\x85\\a.mp3"), nullptr);  // 음악
        EXPECT_NE(doc.add_attr(file, "title", "Tom & Jerry <live> \"1\""), nullptr);
        EXPECT_NE(doc.set_attr(file, "title", "Tom & Jerry"), nullptr);  // changes, no second attribute
        EXPECT_NE(doc.set_attr(file, "length", "180"), nullptr);         // creates
        EXPECT_NE(doc.add_node(root, "note", "a & b < c"), nullptr);
        ASSERT_TRUE(doc.save());
    }
    std::string text = dir.read(L"list.cpl");
    EXPECT_EQ(text.find("<?xml version=\"1.0\"?>\n<playlist>\n  <file "), 0u) << text;

    xml_edit doc;
    ASSERT_TRUE(doc.open(path.c_str()));
    EXPECT_FALSE(doc.parse_failed());
    xmlNodePtr file = doc.find_node("file");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(attr_of(doc, file, "path"), "C:\\\xEC\x9D\x8C\xEC\x95\x85\\a.mp3");
    EXPECT_EQ(attr_of(doc, file, "TITLE"), "Tom & Jerry");
    EXPECT_EQ(attr_of(doc, file, "length"), "180");
    int attributes = 0;
    for (xmlAttrPtr a = file->properties; a; a = a->next) ++attributes;
    EXPECT_EQ(attributes, 3);
    EXPECT_EQ(value_of(doc, doc.find_node("note")), "a & b < c");
}

TEST(xml_edit, finds_nodes_as_the_edge_table_says) {
    xml_edit doc;
    ASSERT_TRUE(doc.open(sample, static_cast<int>(strlen(sample))));
    xmlNodePtr root = doc.get_root_node();
    ASSERT_NE(root, nullptr);

    // The root is never matched, but a descendant with its name is.
    xmlNodePtr inner = doc.find_node("PLAYLIST");
    ASSERT_NE(inner, nullptr);
    EXPECT_NE(inner, root);
    EXPECT_EQ(value_of(doc, inner), "inner");
    // Case-insensitive, pre-order: the FILE inside the group comes first.
    xmlNodePtr first_file = doc.find_node("File");
    ASSERT_NE(first_file, nullptr);
    EXPECT_EQ(attr_of(doc, first_file, "path"), "a.mp3");
    EXPECT_NE(doc.find_node("comment"), nullptr);
    EXPECT_EQ(doc.find_node("missing"), nullptr);

    struct {
        const char* pattern;
        bool whole, match_case;
        const char* path;  // the file found, or null for none
    } by_text[] = {
        {"abc", false, false, "a.mp3"},
        {"abc", false, true, nullptr},
        {"ABC", false, true, "a.mp3"},
        {"xxabcxx", true, false, "a.mp3"},
        {"xxabcxx", true, true, nullptr},
        {"Tom & Jerry", true, true, "b.mp3"},
        {"& jer", false, false, "b.mp3"},
    };
    for (const auto& c : by_text) {
        xmlNodePtr found = doc.search_node_by_node_value(c.pattern, c.whole, c.match_case);
        std::string path = found ? attr_of(doc, found, "path") : "<none>";
        EXPECT_EQ(path, c.path ? c.path : "<none>") << c.pattern;
    }

    // Attribute values, first element in document order below the root.
    xmlNodePtr by_attr = doc.search_node_by_attr_value("1", true, true);
    ASSERT_NE(by_attr, nullptr);
    EXPECT_EQ(attr_of(doc, by_attr, "path"), "b.mp3");
    by_attr = doc.search_node_by_attr_value("G", true, false);
    ASSERT_NE(by_attr, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(by_attr->name), "group");
    EXPECT_EQ(doc.search_node_by_attr_value("G", true, true), nullptr);
    EXPECT_EQ(doc.search_node_by_attr_value(".MP3", false, true), nullptr);
    EXPECT_NE(doc.search_node_by_attr_value(".MP3", false, false), nullptr);
}

TEST(xml_edit, opens_memory_only_when_it_parses) {
    xml_edit doc;
    EXPECT_FALSE(doc.open(sample, 0));
    EXPECT_EQ(doc.get_root_node(), nullptr);
    EXPECT_FALSE(doc.save("unused.xml"));
    EXPECT_FALSE(doc.open(nullptr, 10));
    EXPECT_FALSE(doc.open("<a><b></a>", 10));
    EXPECT_EQ(doc.get_root_node(), nullptr);
    EXPECT_TRUE(doc.open("<a/>", 4));
    EXPECT_NE(doc.get_root_node(), nullptr);
    EXPECT_FALSE(doc.save());  // no path for a document from memory
    EXPECT_TRUE(doc.close());
    EXPECT_EQ(doc.get_root_node(), nullptr);
}

TEST(xml_edit, reports_a_file_that_does_not_parse_and_leaves_it_alone) {
    scratch_folder dir;
    ASSERT_TRUE(dir.ok());
    const std::string broken = "<playlist><file path=\"a\"></playlist>";
    ASSERT_TRUE(dir.write(L"broken.cpl", broken));
    xml_edit doc;
    ASSERT_TRUE(doc.open(dir.ansi(L"broken.cpl").c_str()));
    EXPECT_TRUE(doc.parse_failed());
    EXPECT_EQ(doc.get_root_node(), nullptr);
    EXPECT_EQ(doc.find_node("file"), nullptr);
    EXPECT_TRUE(doc.close());
    EXPECT_EQ(dir.read(L"broken.cpl"), broken);

    ASSERT_TRUE(dir.write(L"empty.cpl", ""));
    ASSERT_TRUE(doc.open(dir.ansi(L"empty.cpl").c_str()));
    EXPECT_FALSE(doc.parse_failed());  // nothing in it to lose
}

// Titles from tags and file names may hold anything; the saved file must
// still load, or the whole playlist would be lost at the next start.
TEST(xml_edit, keeps_saved_documents_readable_whatever_the_text) {
    scratch_folder dir;
    ASSERT_TRUE(dir.ok());
    std::string path = dir.ansi(L"odd.cpl");
    struct {
        const char* given;
        const char* stored;
    } cases[] = {
        {"\xED\xA0\xBD\xED\xB8\x80", "\xF0\x9F\x98\x80"},                 // U+1F600 as two halves
        {"smile \xF0\x9F\x98\x80", "smile \xF0\x9F\x98\x80"},             // already right
        {"a\x01" "b\x0B" "c", "a\xEF\xBF\xBD" "b\xEF\xBF\xBD" "c"},       // control characters
        {"x\xED\xA0\xBDy", "x\xEF\xBF\xBDy"},                             // lone high half
        {"\xFF\xC3", "\xEF\xBF\xBD\xEF\xBF\xBD"},                         // not UTF-8
        {"\xEF\xBF\xBE", "\xEF\xBF\xBD"},                                 // U+FFFE
        {"tab\tline\r\nend", "tab\tline\r\nend"},
        {"\xED\x95\x9C\xEA\xB8\x80", "\xED\x95\x9C\xEA\xB8\x80"},         // 한글
    };
    {
        xml_edit doc;
        ASSERT_TRUE(doc.open(path.c_str()));
        xmlNodePtr root = doc.add_root_node("playlist", "\x01");
        ASSERT_NE(root, nullptr);
        for (const auto& c : cases) {
            xmlNodePtr file = doc.add_node(root, "file", c.given);
            ASSERT_NE(file, nullptr);
            ASSERT_NE(doc.add_attr(file, "title", c.given), nullptr);
        }
        xmlNodePtr changed = doc.add_node(root, "changed", "old");
        EXPECT_TRUE(doc.set_node(changed, "\x02new & <more>"));
        // Names that are not XML names are refused, not written.
        EXPECT_EQ(doc.add_node(root, "1234shop", "x"), nullptr);
        EXPECT_EQ(doc.add_node(root, "a b", "x"), nullptr);
        EXPECT_EQ(doc.add_attr(root, "", "x"), nullptr);
        EXPECT_EQ(doc.set_attr(root, "<", "x"), nullptr);
        EXPECT_EQ(doc.add_root_node(nullptr, nullptr), nullptr);
        ASSERT_TRUE(doc.save());
    }
    xml_edit doc;
    ASSERT_TRUE(doc.open(path.c_str()));
    ASSERT_FALSE(doc.parse_failed()) << dir.read(L"odd.cpl");
    xmlNodePtr file = doc.get_root_node() ? doc.get_root_node()->children : nullptr;
    for (const auto& c : cases) {
        while (file && file->type != XML_ELEMENT_NODE) file = file->next;
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(value_of(doc, file), c.stored) << c.given;
        EXPECT_EQ(attr_of(doc, file, "title"), c.stored) << c.given;
        file = file->next;
    }
    EXPECT_EQ(value_of(doc, doc.find_node("changed")), "\xEF\xBF\xBDnew & <more>");
}

TEST(xml_edit, copies_node_texts_within_the_callers_buffer) {
    std::string long_title;
    for (int i = 0; i < 700; ++i) long_title += "\xED\x95\x9C";  // 2100 bytes of 한
    xml_edit doc;
    ASSERT_TRUE(doc.open("<p/>", 4));
    xmlNodePtr node = doc.add_node(doc.get_root_node(), "file", long_title.c_str());
    xmlAttrPtr attr = doc.add_attr(node, "title", long_title.c_str());
    ASSERT_TRUE(node && attr);

    char buffer[1024 + 8];
    memset(buffer, '#', sizeof(buffer));
    ASSERT_TRUE(doc.get_attr_value(attr, buffer, 1024));
    EXPECT_EQ(strlen(buffer), 1023u - 1023u % 3);  // whole characters only
    EXPECT_EQ(std::string(buffer), long_title.substr(0, strlen(buffer)));
    EXPECT_EQ(buffer[1024], '#');
    ASSERT_TRUE(doc.get_node_value(node, buffer, 4));
    EXPECT_STREQ(buffer, "\xED\x95\x9C");
    ASSERT_TRUE(doc.get_node_value(node, buffer, 3));
    EXPECT_STREQ(buffer, "");

    char* whole = doc.get_attr_text(attr);
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(std::string(whole), long_title);
    free(whole);
    whole = doc.get_node_text(node);
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(std::string(whole), long_title);
    free(whole);

    xmlNodePtr empty = doc.add_node(doc.get_root_node(), "empty", nullptr);
    strcpy(buffer, "kept");
    EXPECT_FALSE(doc.get_node_value(empty, buffer, sizeof(buffer)));
    EXPECT_STREQ(buffer, "kept");
    EXPECT_FALSE(doc.get_node_value(node, buffer, 0));
    EXPECT_FALSE(doc.get_node_value(node, nullptr, 10));
    EXPECT_EQ(doc.get_node_text(empty), nullptr);
}

TEST(xml_edit, removes_nodes_and_attributes_of_its_own_document_only) {
    xml_edit doc, other;
    ASSERT_TRUE(doc.open(sample, static_cast<int>(strlen(sample))));
    ASSERT_TRUE(other.open("<x><file/></x>", 14));
    xmlNodePtr foreign = other.find_node("file");
    EXPECT_FALSE(doc.remove_node(foreign));
    EXPECT_EQ(doc.add_node(foreign, "y", nullptr), nullptr);
    EXPECT_EQ(doc.add_attr(foreign, "a", "1"), nullptr);
    EXPECT_FALSE(doc.set_node(foreign, "z"));
    EXPECT_FALSE(doc.remove_node(nullptr));
    EXPECT_EQ(other.find_node("file"), foreign);

    xmlNodePtr group = doc.find_node("group");
    ASSERT_TRUE(doc.remove_node(group));
    xmlNodePtr file = doc.find_node("file");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(attr_of(doc, file, "path"), "b.mp3");  // the group's FILE went with it
    EXPECT_TRUE(doc.remove_attr(file, "OTHER") && doc.remove_attr(file, "other"));
    EXPECT_TRUE(doc.remove_attr(file, "missing"));
    EXPECT_EQ(doc.get_attr(file, "other"), nullptr);
    EXPECT_EQ(doc.search_node_by_node_value("inner", true, true), nullptr);
}

TEST(xml_edit, copies_are_independent_documents) {
    xml_edit doc;
    ASSERT_TRUE(doc.open(sample, static_cast<int>(strlen(sample))));
    xml_edit copy(doc);
    xml_edit assigned;
    assigned = doc;
    ASSERT_TRUE(doc.remove_node(doc.find_node("group")));
    EXPECT_TRUE(doc.close());
    EXPECT_NE(copy.find_node("group"), nullptr);
    EXPECT_NE(assigned.find_node("group"), nullptr);
    EXPECT_NE(copy.find_node("group"), assigned.find_node("group"));
    assigned = assigned;
    EXPECT_NE(assigned.get_root_node(), nullptr);
}

TEST(xml_edit, handles_deep_documents_long_paths_and_failed_writes) {
    xml_edit doc;
    ASSERT_TRUE(doc.open("<r/>", 4));
    xmlNodePtr node = doc.get_root_node();
    for (int i = 0; i < 5000 && node; ++i) node = doc.add_node(node, "d", nullptr);
    ASSERT_NE(node, nullptr);
    doc.add_attr(node, "deep", "yes");
    EXPECT_EQ(doc.search_node_by_attr_value("yes", true, true), node);

    std::string long_path = "C:\\" + std::string(300, 'a') + ".cpl";
    EXPECT_FALSE(doc.open(long_path.c_str()));
    EXPECT_EQ(doc.get_root_node(), nullptr);
    EXPECT_FALSE(doc.open(""));

    scratch_folder dir;
    ASSERT_TRUE(dir.ok());
    ASSERT_TRUE(dir.write(L"kept.cpl", "<old/>"));
    ASSERT_TRUE(doc.open(dir.ansi(L"kept.cpl").c_str()));
    std::string unwritable = dir.ansi(L"no such folder\\x.cpl");
    EXPECT_FALSE(doc.save(unwritable.c_str()));
    EXPECT_EQ(dir.read(L"kept.cpl"), "<old/>");
}

TEST(xml_edit, takes_paths_in_the_ansi_code_page) {
    scratch_folder dir;
    ASSERT_TRUE(dir.ok());
    std::string path = dir.ansi(L"\xD50C\xB808\xC774\xB9AC\xC2A4\xD2B8.cpl");  // 플레이리스트.cpl
    ASSERT_EQ(path.find('?'), std::string::npos) << "the locale has no code page 949";
    {
        xml_edit doc;
        ASSERT_TRUE(doc.open(path.c_str()));
        ASSERT_NE(doc.add_root_node("playlist", nullptr), nullptr);
        ASSERT_TRUE(doc.save());
    }
    EXPECT_EQ(dir.read(L"\xD50C\xB808\xC774\xB9AC\xC2A4\xD2B8.cpl"), "<?xml version=\"1.0\"?>\n<playlist/>\n");
    xml_edit doc;
    ASSERT_TRUE(doc.open(path.c_str()));
    EXPECT_FALSE(doc.parse_failed());
    EXPECT_NE(doc.get_root_node(), nullptr);
}
