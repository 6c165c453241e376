// basetrim-report: the report page of a run of basetrim.
#include <cstdio>
#include <exception>
#include <new>

#include "report/gather.h"
#include "report/options.h"
#include "report/page.h"

int main(int argc, char** argv) {
    using namespace basetrim::report;
    // Options, then the files of the run, then the page. Any failure is one
    // message on standard error and exit status 1.
    try {
        const command_line cl = parse_command_line(argc, argv);
        if (cl.help) {
            std::fputs(cl.help_text.c_str(), stdout);
            return 0;
        }
        const report_data d = gather_report(cl.req);
        write_page(cl.req.output_name, report_page(d));
        std::printf("basetrim-report: wrote %s\n", cl.req.output_name.c_str());
        return 0;
    } catch (const report_error& e) {
        std::fprintf(stderr, "basetrim-report: %s\n", e.what());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "basetrim-report: out of memory\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "basetrim-report: %s\n", e.what());
    }
    return 1;
}
