#include "ReportArguments.h"

namespace kvt::report {
namespace {

struct ObjectName {
    const char* name;
    PrintObject object;
};
constexpr ObjectName kObjects[] = {
    {"all", PrintObject::All},
    {"parameters", PrintObject::Parameters},
    {"scope", PrintObject::ScopeView},
};

}  // namespace

const char* reportUsage() {
    return "usage: kvt-report PROJECT.KVT -o REPORT.pdf [--object all|parameters|scope]\n"
           "Writes the printed report of a project as a PDF file; needs neither a display nor a\n"
           "printer.\n"
           "  -o, --output FILE   the PDF to write; an existing file is replaced only by a\n"
           "                      complete report\n"
           "  --object OBJECT     all: project information, parameter and scope pages (default)\n"
           "                      parameters: project information and parameter pages\n"
           "                      scope: project information and scope pages\n"
           "  -h, --help          this text\n"
           "Exit codes: 0 done, 1 usage, 4 a file could not be read or written.\n";
}

ReportArguments parseReportArguments(const std::vector<std::string>& args) {
    ReportArguments r;
    auto fail = [&r](std::string message) {
        if (r.error.empty()) {
            r.error = std::move(message);
        }
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "-h" || a == "--help") {
            r.help = true;
        } else if (a == "-o" || a == "--output") {
            if (!hasValue) {
                fail(a + " needs a file name");
                continue;
            }
            r.output = args[++i];
        } else if (a == "--object") {
            if (!hasValue) {
                fail("--object needs all, parameters or scope");
                continue;
            }
            const std::string& name = args[++i];
            bool known = false;
            for (const ObjectName& o : kObjects) {
                if (name == o.name) {
                    r.object = o.object;
                    known = true;
                }
            }
            if (!known) {
                fail("unknown print object '" + name + "' (all, parameters or scope)");
            }
        } else if (!a.empty() && a[0] == '-') {
            fail("unknown option '" + a + "'");
        } else if (r.project.empty()) {
            r.project = a;
        } else {
            fail("more than one project file given");
        }
    }
    if (!r.help) {
        if (r.project.empty()) {
            fail("no project file given");
        } else if (r.output.empty()) {
            fail("no output file given (-o REPORT.pdf)");
        }
    }
    return r;
}

}  // namespace kvt::report
