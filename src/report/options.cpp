#include "report/options.h"

#include <CLI/CLI.hpp>

#include "report/answers_file.h"

namespace basetrim::report {

command_line parse_command_line(int argc, const char* const* argv) {
    command_line cl;
    report_request& req = cl.req;
    answers& a = req.ans;
    std::string answers_name;
    std::pair<double, double> first, second;

    // The options; CLI11 rejects unknown options, missing values and
    // values that are not numbers.
    CLI::App app{"Writes one self-contained HTML page that shows a run of basetrim: the record with the\n"
                 "chosen baseline, the velocity before and after the correction, the shock response\n"
                 "spectra before and after against the reference line, and a table of the measures and\n"
                 "the answers. Name the run's files with --answers, the answers file that was piped into\n"
                 "basetrim (run from the same working directory), or one by one with --input, --baseline,\n"
                 "--corrected, --srs, --coef, --first and --second.\n",
                 "basetrim-report"};
    app.set_help_flag("-h,--help", "Print this help and exit");
    auto* ans_opt = app.add_option("-a,--answers", answers_name,
                                   "Answers file of the run: the tokens piped into basetrim, in the order of its prompts")
                        ->type_name("FILE");
    CLI::Option* one_by_one[] = {
        app.add_option("-i,--input", a.input_name, "Input record (time and amplitude)")->type_name("FILE"),
        app.add_option("--baseline", a.baseline_name, "Output file 1: the chosen baseline")->type_name("FILE"),
        app.add_option("--corrected", a.corrected_name, "Output file 2: the corrected record")->type_name("FILE"),
        app.add_option("--srs", a.srs_name, "SRS output file 3: spectrum of the corrected record")->type_name("FILE"),
        app.add_option("--coef", a.coef_name, "Coefficient file: knots of the chosen baseline")->type_name("FILE"),
        app.add_option("--first", first, "First reference coordinate: frequency (Hz) and amplitude")
            ->type_name("FREQ AMP"),
        app.add_option("--second", second, "Second reference coordinate: frequency (Hz) and amplitude")
            ->type_name("FREQ AMP"),
    };
    app.add_option("-o,--output", req.output_name, "The report page to write")
        ->type_name("FILE")
        ->capture_default_str();

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        cl.help = true;
        cl.help_text = app.help();
        return cl;
    } catch (const CLI::ParseError& e) {
        throw report_error(std::string(e.what()) + " (see --help)");
    }

    // Either the answers file, or every file and coordinate.
    if (ans_opt->count() > 0) {
        for (CLI::Option* o : one_by_one)
            if (o->count() > 0)
                throw report_error("--answers names every file and coordinate of the run; it cannot be combined with " +
                                   o->get_name() + " (see --help)");
        read_answers_file(answers_name, req);
        return cl;
    }
    std::string missing;
    for (CLI::Option* o : one_by_one)
        if (o->count() == 0) missing += (missing.empty() ? "" : ", ") + o->get_name();
    if (!missing.empty())
        throw report_error("give --answers FILE, or name the run's files and coordinates; missing: " + missing +
                           " (see --help)");
    for (const std::string* name : {&a.input_name, &a.baseline_name, &a.corrected_name, &a.srs_name, &a.coef_name})
        if (name->empty()) throw report_error("a file name is empty (see --help)");
    a.ref_freq[0] = first.first;
    a.ref_amp[0] = first.second;
    a.ref_freq[1] = second.first;
    a.ref_amp[1] = second.second;
    return cl;
}

}  // namespace basetrim::report
