// Sending over libticalcs2: open the cable, check the calculator is ready,
// send the variable, close. Progress and cancel go through the library's
// update callbacks, which take no argument, so the transfer under way is
// kept per thread; the global lock keeps it to one transfer at a time.

#include "CableFactory.h"
#include "TiLink.h"

#include <glib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>

namespace calclink {

namespace {

// The libraries' error codes, as their error.h numbers them; their public
// headers export only a few.
namespace cable_error {
constexpr int ReadTimeout = 4;
constexpr int WriteTimeout = 6;
constexpr int LibusbOpen = 37;
constexpr int LibusbClaim = 38;
constexpr int Root = 42;
constexpr int TtDev = 43;
constexpr int PpDev = 44;
constexpr int UsbFs = 45;
constexpr int TtyOpen = 46;
}  // namespace cable_error
namespace calc_error {
constexpr int Abort = 256;
constexpr int NotReady = 257;
constexpr int VarRejected = 263;
constexpr int OutOfMemory = 273;
constexpr int VarVersion = 285;
// The hand-held's own codes over USB start here; +5 is out of memory, +19
// busy (not at the home screen).
constexpr int UsbCalcErrors = 300;
constexpr int UsbOutOfMemory = UsbCalcErrors + 5;
constexpr int UsbBusy = UsbCalcErrors + 19;
constexpr int UsbCalcErrorsEnd = 350;
}  // namespace calc_error

// A program file is a few dozen bytes of header around at most 64 KiB.
constexpr std::uintmax_t kMaxFileSize = 0x10000 + 0x100;
// Program and protected program: what the build script writes.
constexpr std::uint8_t kProgram = 0x05;
constexpr std::uint8_t kProtectedProgram = 0x06;

// The libraries' chatter ("ticables-CRITICAL ...") goes to standard error
// by default; what matters reaches the user as our own message.
void dropLog(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

void initLibraries()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (const char* domain : {"ticables", "ticalcs", "tifiles", "ticonv"})
            g_log_set_handler(domain,
                              static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK | G_LOG_FLAG_FATAL | G_LOG_FLAG_RECURSION),
                              dropLog, nullptr);
        ticables_library_init();
        tifiles_library_init();
        ticalcs_library_init();
    });
}

std::mutex& transferLock()
{
    static std::mutex lock;
    return lock;
}

// The transfer the library's callbacks report on.
struct Transfer {
    CalcUpdate update{};
    const ProgressFn* progress = nullptr;
    Progress last;
};
thread_local Transfer* current = nullptr;

void tell(Transfer& t)
{
    if (*t.progress && !(*t.progress)(t.last))
        t.update.cancel = 1;
}

// The library calls pbar with its counters set: cnt1 of max1 within a
// packet series, cnt2 of max2 when a variable is done.
void onProgress()
{
    if (!current)
        return;
    const CalcUpdate& u = current->update;
    Progress& p = current->last;
    if (u.max2 > 0 && u.cnt2 >= u.max2) {
        p.total = std::max<std::uint32_t>(p.total, 1);
        p.done = p.total;
    } else if (u.max1 > 0) {
        p.total = static_cast<std::uint32_t>(u.max1);
        p.done = static_cast<std::uint32_t>(std::clamp(u.cnt1, 0, u.max1));
    }
    tell(*current);
}

// refresh comes every few packets whatever their size: the moment to
// notice a cancel when the transfer is too small for pbar.
void onRefresh()
{
    if (current)
        tell(*current);
}

void ignore() {}

struct CableDeleter {
    void operator()(CableHandle* h) const { ticables_handle_del(h); }
};
struct ContentDeleter {
    void operator()(FileContent* c) const { tifiles_content_delete_regular(c); }
};

using ContentPtr = std::unique_ptr<FileContent, ContentDeleter>;

// Reads the file's one program variable into `content`; the reason it is
// refused, or empty.
std::string readProgram(const std::filesystem::path& file, ContentPtr& content)
{
    const std::string shown = file.string();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return shown + ": " + (std::filesystem::exists(file, ec) ? "is not a file" : "no such file");
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec || size > kMaxFileSize)
        return shown + ": is not a TI-83 Plus / TI-84 Plus program file (.8XP): too large";
    const std::string notProgramFile = shown + ": is not a TI-83 Plus / TI-84 Plus program file (.8XP)";
    const CalcModel model = tifiles_file_get_model(shown.c_str());
    if (model != CALC_TI83P && model != CALC_TI84P)
        return notProgramFile;
    content.reset(tifiles_content_create_regular(CALC_NONE));
    if (!content)
        return shown + ": out of memory";
    if (tifiles_file_read_regular(shown.c_str(), content.get()) != 0) {
        // For these models the library frees the content when reading fails.
        content.release();
        return notProgramFile;
    }
    const FileContent& c = *content;
    if (c.stored_checksum != c.checksum)
        return shown + ": is damaged (its checksum does not match)";
    if (c.num_entries != 1 || !c.entries || !c.entries[0])
        return shown + ": holds " + std::to_string(c.num_entries) + " variables; an enemy's program file holds one";
    if (c.entries[0]->type != kProgram && c.entries[0]->type != kProtectedProgram)
        return shown + ": holds no program";
    return {};
}

Outcome done(Failure failure, std::string message, const std::string& calculator)
{
    return {failure, std::move(message), calculator};
}

}  // namespace

bool available()
{
    return true;
}

std::string unavailableReason()
{
    return {};
}

Outcome failureFor(int code, const std::string& calculator, const std::string& variable, std::uint32_t size,
                   bool listed)
{
    namespace ce = cable_error;
    namespace ca = calc_error;
    const std::string calc = calculator.empty() ? "calculator" : calculator;
    switch (code) {
    case ce::ReadTimeout:
    case ce::WriteTimeout:
        return done(Failure::NoAnswer, "The calculator did not answer.", calculator);
    case ce::LibusbOpen:
    case ce::Root:
    case ce::TtDev:
    case ce::PpDev:
    case ce::UsbFs:
    case ce::TtyOpen:
        if (listed)
            return done(Failure::NoPermission,
                        "A " + calc + " is connected, but this account may not use it. The package libticables2-8 "
                                      "installs the permission rule; unplug and replug the cable, and log in at the "
                                      "machine itself.",
                        calculator);
        break;
    case ce::LibusbClaim:
        return done(Failure::InUse,
                    "The " + calc + " is in use by another program (a link program?); close it and try again.",
                    calculator);
    case ca::Abort:
        return done(Failure::Cancelled, "Sending was cancelled.", calculator);
    case ca::NotReady:
    case ca::UsbBusy:
        return done(Failure::NotReady,
                    "The calculator is busy. Leave any menu or program, go to the home screen, and try again.",
                    calculator);
    case ca::OutOfMemory:
    case ca::UsbOutOfMemory:
        return done(Failure::OutOfMemory,
                    "The calculator does not have enough free RAM for " + variable + " (" + std::to_string(size) +
                        " bytes).",
                    calculator);
    case ca::VarRejected:
    case ca::VarVersion:
        return done(Failure::Rejected,
                    "The calculator refused " + variable + ". A locked or archived program of that name may be in "
                                                           "the way: delete or unarchive it and try again.",
                    calculator);
    default:
        if (code >= ca::UsbCalcErrors && code < ca::UsbCalcErrorsEnd)
            return done(Failure::Rejected,
                        "The calculator refused " + variable + " (its error " +
                            std::to_string(code - ca::UsbCalcErrors) + ").",
                        calculator);
        break;
    }
    return done(Failure::LinkError,
                "The transfer to the " + calc + " failed (link error " + std::to_string(code) +
                    "). Check the cable, turn the calculator on at the home screen, and try again.",
                calculator);
}

Outcome sendProgram(const std::filesystem::path& file, const Options& options, const ProgressFn& progress,
                    const CableFactory& factory)
{
    initLibraries();
    if (const auto conflict = choiceConflict(options))
        return done(Failure::Refused, *conflict, {});
    ContentPtr content;
    if (const std::string refusal = readProgram(file, content); !refusal.empty())
        return done(Failure::Refused, refusal, {});
    const VarEntry& entry = *content->entries[0];
    const std::string variable(entry.name, strnlen(entry.name, sizeof entry.name));

    std::unique_lock lock(transferLock(), std::try_to_lock);
    if (!lock.owns_lock())
        return done(Failure::Busy, "Another transfer to a calculator is under way; wait for it to end.", {});

    Found found = factory(options);
    if (!found.cable)
        return done(found.failure, found.message, {});
    const Cable cable = *found.cable;
    const std::unique_ptr<CableHandle, CableDeleter> cableHandle(cable.handle);

    Transfer transfer;
    transfer.progress = &progress;
    transfer.update.start = ignore;
    transfer.update.stop = ignore;
    transfer.update.label = ignore;
    transfer.update.refresh = onRefresh;
    transfer.update.pbar = onProgress;
    current = &transfer;
    struct Leave {
        ~Leave() { current = nullptr; }
    } leave;

    CalcHandle* calc = ticalcs_handle_new(static_cast<CalcModel>(cable.calcModel));
    if (!calc)
        return done(Failure::Unsupported, "The " + cable.calculator + " cannot be spoken to.", cable.calculator);
    ticalcs_update_set(calc, &transfer.update);
    // Each step starts with a report, which also takes a cancel asked meanwhile.
    const auto cancelled = [&transfer] {
        tell(transfer);
        return transfer.update.cancel != 0;
    };
    int code = cancelled() ? calc_error::Abort : ticalcs_cable_attach(calc, cable.handle);
    if (code == 0) {
        code = cancelled() ? calc_error::Abort : ticalcs_calc_isready(calc);
        if (code == 0) {
            transfer.update.cnt1 = transfer.update.max1 = 0;
            transfer.update.cnt2 = transfer.update.max2 = 0;
            code = cancelled() ? calc_error::Abort : ticalcs_calc_send_var(calc, MODE_NORMAL, content.get());
        }
    }
    ticalcs_cable_detach(calc);
    ticalcs_handle_del(calc);
    if (code != 0)
        return failureFor(code, cable.calculator, variable, entry.size, cable.listed);
    return done(Failure::None, "Sent " + file.filename().string() + " to the " + cable.calculator,
                cable.calculator);
}

Outcome sendProgram(const std::filesystem::path& file, const Options& options, const ProgressFn& progress)
{
    return sendProgram(file, options, progress, systemCable);
}

}  // namespace calclink
