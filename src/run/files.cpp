#include "run/files.h"

#include <string>

namespace basetrim {

namespace {

void report(out_text& con, bool opened, const std::string& name) {
    if (opened)
        con.printf(" File: %s opened. \n", name.c_str());
    else
        con.printf(" Failed to open file: %s \n", name.c_str());
}

}  // namespace

void open_files(run_files& f, answers& ans, dialogue& d) {
    d.con.put("\n\n The input file must have two columns:  time(sec) & amplitude(units) ");

    d.con.put("\n\n Enter input filename\n");
    ans.input_name = d.read_name("Enter input filename");
    f.input_file.open(ans.input_name);

    d.con.put("\n Enter output filename 1\n");
    ans.baseline_name = d.read_name("Enter output filename 1");
    f.baseline_file.open(ans.baseline_name, "w");

    d.con.put("\n Enter output filename 2\n");
    ans.corrected_name = d.read_name("Enter output filename 2");
    f.corrected_file.open(ans.corrected_name, "w");

    d.con.put("\n Enter SRS output filename 3\n");
    ans.srs_name = d.read_name("Enter SRS output filename 3");
    f.srs_file.open(ans.srs_name, "w");

    f.trial_file.open(trial_file_name, "w");

    report(d.con, f.input_file.is_open(), ans.input_name);
    report(d.con, f.baseline_file.is_open(), ans.baseline_name);
    report(d.con, f.corrected_file.is_open(), ans.corrected_name);

    struct {
        bool open;
        const char* what;
        const std::string& name;
        int err;
    } const checks[] = {
        {f.input_file.is_open(), "the input file", ans.input_name, f.input_file.error()},
        {f.baseline_file.is_open(), "output file 1", ans.baseline_name, f.baseline_file.error()},
        {f.corrected_file.is_open(), "output file 2", ans.corrected_name, f.corrected_file.error()},
        {f.srs_file.is_open(), "SRS output file 3", ans.srs_name, f.srs_file.error()},
        {f.trial_file.is_open(), "the trial file", f.trial_file.name(), f.trial_file.error()},
    };
    for (const auto& c : checks)
        if (!c.open)
            stop_run(d.con, "cannot open %s %s (%s)", c.what, c.name.c_str(), error_text(c.err).c_str());

    d.con.put("\n Enter coefficient filename \n");
    ans.coef_name = d.read_name("Enter coefficient filename");
    if (!f.coef_file.open(ans.coef_name, "w"))
        stop_run(d.con, "cannot open the coefficient file %s (%s)", ans.coef_name.c_str(),
                 error_text(f.coef_file.error()).c_str());
}

}  // namespace basetrim
