#include "json_report.h"

#include "bank_table.h"
#include <cmath>
#include <nlohmann/json.hpp>

using json = nlohmann::ordered_json;

namespace {

// clang-format off
const char* const OUTCOME_TEXTS[] = {
    /* SLOT_NOT_REACHED */ "not reached",
    /* SLOT_WRITTEN     */ "written",
    /* SLOT_SKIPPED     */ "skipped",
    /* SLOT_FAILED      */ "failed",
};
// clang-format on

bool extracting(const Options& options) {
    return !options.list && !options.test;
}

json slot_entry(const Options& options, const BankTally& bank, const SlotInfo& slot,
                int64_t file_size) {
    char name[OUTPUT_NAME_BYTES];
    format_output_name(slot, name);
    const uint32_t frames = slot_frames(slot);
    const char* damage    = slot_damage(slot, file_size);
    json entry            = {
                   {"file", name},
                   {"channels", is_stereo(slot) ? "stereo" : "mono"},
                   {"frames", frames},
                   {"seconds", std::round(frames / (SAMPLE_RATE / 1000.0)) / 1000}, // as -l rounds them
                   {"data_offset", slot.data_offset},
                   {"damage", damage ? json(damage) : json(nullptr)},
    };
    if (options.test) {
        entry["frames_readable"] = bank.frames_read[slot.id];
        entry["whole"]           = bank.frames_read[slot.id] == frames;
    }
    if (extracting(options)) {
        const bool begun = !bank.folder.empty();
        entry["outcome"] = OUTCOME_TEXTS[bank.outcomes[slot.id]];
        entry["path"]    = begun ? json(join_path(bank.folder, bank.prefix + name)) : json(nullptr);
    }
    return entry;
}

// The bank's slots come from its table, read again: the tally holds only what became of them.
json bank_entry(const Options& options, const BankTally& bank) {
    json entry = {
        {"path", bank.bank},
        {"status", {{"code", int(bank.status)}, {"text", status_text(bank.status)}}},
    };
    if (extracting(options))
        entry["folder"] = bank.folder.empty() ? json(nullptr) : json(bank.folder);
    json slots = json::array();
    OpenBank open;
    if (open_bank(bank.bank, open) == JOB_DONE)
        for (int i = 0; i < open.count; ++i)
            if (slot_chosen(options, open.table[i]))
                slots.push_back(slot_entry(options, bank, open.table[i], open.size));
    entry["slots"] = slots;
    if (!options.every_slot) entry["missing_slots"] = bank.missing;
    return entry;
}

json totals(const Options& options, const std::vector<BankTally>& banks) {
    const RunTotals total = add_up(banks);
    json entry            = {{"banks", banks.size()}};
    if (options.test) {
        entry["read_whole"] = total.done;
        entry["damaged"]    = total.failed;
    } else if (extracting(options)) {
        entry["written"] = total.done;
        entry["skipped"] = total.skipped;
        entry["failed"]  = total.failed;
    }
    entry["banks_with_errors"] = total.failed_banks;
    return entry;
}

} // namespace

std::string json_report(const Options& options, const std::vector<BankTally>& banks,
                        int exit_status) {
    json entries = json::array();
    for (const BankTally& bank : banks)
        entries.push_back(bank_entry(options, bank));
    const json document = {
        {"mode", options.list   ? "list"
                 : options.test ? "test"
                                : "extract"},
        {"banks", entries},
        {"totals", totals(options, banks)},
        {"exit_status", exit_status},
    };
    return document.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}
