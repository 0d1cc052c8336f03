#pragma once
// settings_document: one load of the settings file through MSXML (COM), for
// one read or write of the settings store; nothing is kept between calls.
//
// The document is created on the calling thread, which it initialises for
// COM for its own lifetime. Element names given here are already valid
// element names (encode_xml_name); they are matched ignoring case.
#include <windows.h>
#include <msxml2.h>
#include <map>
#include <string>
#include "com_ptr.h"

class settings_document {
public:
    enum load_state {
        no_engine,   // no XML document could be created at all
        missing,     // no file: an empty document
        loaded,      // the file was parsed
        unreadable,  // a file exists but could not be parsed: an empty document
        blocked,     // a file exists but could not be opened (held by another
                     // program, no access): no document, nothing may be saved
    };

    settings_document();
    ~settings_document();
    settings_document(const settings_document&) = delete;
    settings_document& operator=(const settings_document&) = delete;

    // Loads the file into the document (an empty document when there is no
    // file or it does not parse). False when there is no document engine or
    // the file exists but cannot be opened (state() says which).
    bool load(const std::wstring& path);
    // Loads the file into the document and finds (or creates in memory) the
    // element of the user below the document element, which is made
    // "ZELPlayer" when the document has none. False when there is no
    // document or the element cannot be made.
    bool open_user(const std::wstring& path, const std::wstring& user, com_ptr<IXMLDOMNode>& user_node);
    load_state state() const { return state_; }

    // The first child element of parent named name ignoring case.
    bool find_child(IXMLDOMNode* parent, const std::wstring& name, com_ptr<IXMLDOMNode>& child);
    // Creates an element named name and appends it to parent.
    bool add_child(IXMLDOMNode* parent, const std::wstring& name, com_ptr<IXMLDOMNode>& child);
    // The value of the node's first child when that is text; "" otherwise.
    static std::wstring text(IXMLDOMNode* node);
    // Replaces the node's whole content by the text.
    static bool set_text(IXMLDOMNode* node, const std::wstring& value);
    // Replaces any document element by a new empty "ZELPlayer" element.
    bool set_root(com_ptr<IXMLDOMNode>& root);
    // Saves the whole document to path (see settings_document.cpp).
    bool save(const std::wstring& path);

    // Every value that find_child and text reach from the document element
    // (the first element of each name at each level, ignoring case), keyed
    // by value_key of the upper-cased user, section and key names.
    void collect(std::map<std::wstring, std::wstring>& values);
    static std::wstring value_key(const std::wstring& user, const std::wstring& section, const std::wstring& key);

private:
    bool com_initialized_ = false;
    com_ptr<IXMLDOMDocument> doc_;
    load_state state_ = no_engine;
};
