#include "tag_test_support.h"

#include <windows.h>

#include "wine_host.h"

namespace tag_test {

std::string read_bytes(const std::wstring& path) { return wine_host::read_file(path); }

bool write_bytes(const std::wstring& path, const std::string& data) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
                    written == data.size();
    CloseHandle(file);
    return ok;
}

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out.empty() ? "-" : out;
}

work_folder::work_folder() {
    if (!wine_host::make_state_folder("tags", m_folder, m_unix_folder))
        m_folder.clear();
}

work_folder::~work_folder() {
    if (ok()) {
        // Files that a test left read-only must go as well.
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW((m_folder + L"\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do
                SetFileAttributesW((m_folder + L"\\" + found.cFileName).c_str(), FILE_ATTRIBUTE_NORMAL);
            while (FindNextFileW(find, &found));
            FindClose(find);
        }
        wine_host::remove_state_folder(m_folder);
    }
}

std::wstring work_folder::make(const char* name, const std::string& data) {
    if (!ok())
        return std::wstring();
    const std::wstring path = m_folder + L"\\" + std::wstring(name, name + strlen(name));
    return write_bytes(path, data) ? path : std::wstring();
}

std::wstring work_folder::copy(const char* name) {
    const std::string data = fixture(name);
    return data.empty() ? std::wstring() : make(name, data);
}

std::string fixture(const char* name) {
    const std::wstring folder = wine_host::dos_path(ZEL_TAG_FIXTURE_DIR);
    return read_bytes(folder + L"\\" + std::wstring(name, name + strlen(name)));
}

std::unique_ptr<test_file_stream> open_stream(const std::wstring& path) {
    std::unique_ptr<test_file_stream> s(new test_file_stream);
    if (!s->open(path.c_str()))
        s.reset();
    return s;
}

namespace {

std::string run_checker(std::vector<std::string> args) {
    args.insert(args.begin(), wine_host::source_file("tests/core/tags/tag_check.py"));
    std::string output, error;
    if (!wine_host::run_python_tool(args, output, error))
        return "checker failed: " + error;
    return output;
}

}  // namespace

std::string check_trailing(const std::wstring& path, long long audio_length, const char* kind,
                           const std::vector<item>& items) {
    std::vector<std::string> args = {"trailing", wine_host::unix_path(path), std::to_string(audio_length), kind};
    for (const item& it : items)
        args.push_back(it.name + "=" + hex(it.value) + (it.flags ? "@" + std::to_string(it.flags) : ""));
    return run_checker(args);
}

std::vector<std::string> dump_id3v2(const std::wstring& path) {
    const std::string output = run_checker({"id3v2", wine_host::unix_path(path)});
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t end; (end = output.find('\n', from)) != std::string::npos; from = end + 1)
        lines.push_back(output.substr(from, end - from));
    if (from < output.size())
        lines.push_back(output.substr(from));
    return lines;
}

std::vector<std::string> lines_with(const std::vector<std::string>& lines, const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& line : lines)
        if (line.compare(0, prefix.size(), prefix) == 0)
            out.push_back(line);
    return out;
}

}  // namespace tag_test
