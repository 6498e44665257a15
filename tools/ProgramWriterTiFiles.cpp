// The .8XP writer through the calculator file library.

#include "ProgramWriter.h"
#include "TiFiles.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace programfile {

namespace {

// Owns the library's objects so every exit path frees them.
struct Library {
    Library() { tifiles_library_init(); }
    ~Library() { tifiles_library_exit(); }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
};

struct Content {
    FileContent* p = tifiles_content_create_regular(CALC_TI83P);
    ~Content()
    {
        if (p)
            tifiles_content_delete_regular(p);
    }
    Content() = default;
    Content(const Content&) = delete;
    Content& operator=(const Content&) = delete;
};

}  // namespace

std::string write(const std::string& path, const std::string& variable, const std::vector<std::uint8_t>& body)
{
    Library library;
    Content content;
    if (!content.p)
        return "out of memory";
    // Clear the library's dated default comment.
    std::memset(content.p->comment, 0, sizeof content.p->comment);
    std::snprintf(content.p->comment, sizeof content.p->comment, "%s", kComment);

    const std::size_t size = body.size() + 2;
    VarEntry* entry = tifiles_ve_create_alloc_data(static_cast<std::uint32_t>(size));
    if (!entry)
        return "out of memory";
    std::snprintf(entry->name, sizeof entry->name, "%s", variable.c_str());
    entry->type = kProgramType;
    entry->attr = ATTRB_NONE;
    entry->size = static_cast<std::uint32_t>(size);
    // The calculator keeps a program as its length word followed by its body;
    // the library writes the variable's data as given, so the word goes first.
    entry->data[0] = static_cast<std::uint8_t>(body.size() & 0xFF);
    entry->data[1] = static_cast<std::uint8_t>(body.size() >> 8);
    std::copy(body.begin(), body.end(), entry->data + 2);
    tifiles_content_add_entry(content.p, entry);  // the content owns the entry from here

    if (const int err = tifiles_file_write_regular(path.c_str(), content.p, nullptr); err != 0) {
        char* message = nullptr;
        tifiles_error_get(err, &message);
        std::string reason = message ? message : "error " + std::to_string(err);
        if (message)
            tifiles_error_free(message);
        std::remove(path.c_str());
        return reason;
    }
    return {};
}

}  // namespace programfile
