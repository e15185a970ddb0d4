// Where a start-up's time goes: marks in milliseconds from the process's
// start, seen from outside (the first window of the process shown, the main
// dialog shown, its server list filled) and read from the support log the
// start wrote (its "start" line, and each exchange's begin and end: a line's
// time is the exchange's end, its seconds give the begin; the floor writes
// such lines too, and "mark <name>" lines of its own). Marks of many
// starts are summed up by median, in the order of their medians, each with
// the step from the mark before it, so a phase that costs more, or varies
// more, than the others shows by name.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace gsd::bench {

using Marks = std::map<std::string, double>;

// Milliseconds since 1601 in local time, the clock of the log's lines.
inline double LocalMilliseconds(const SYSTEMTIME& time)
{
    FILETIME file {};
    SystemTimeToFileTime(&time, &file);
    return static_cast<double>((static_cast<ULONGLONG>(file.dwHighDateTime) << 32) | file.dwLowDateTime) / 10000.0;
}

inline double LocalMillisecondsNow()
{
    FILETIME utc {};
    GetSystemTimePreciseAsFileTime(&utc);
    FILETIME local {};
    FileTimeToLocalFileTime(&utc, &local);
    return static_cast<double>((static_cast<ULONGLONG>(local.dwHighDateTime) << 32) | local.dwLowDateTime) / 10000.0;
}

// Adds the marks of the support log at `path` (lines "YYYY-MM-DD
// hh:mm:ss.mmm event"), relative to `processStart` (LocalMillisecondsNow()
// when the process was created).
inline void AddLogMarks(const std::string& path, double processStart, Marks& marks)
{
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        SYSTEMTIME time {};
        unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, milli = 0;
        int used = 0;
        if (std::sscanf(line.c_str(), "%4u-%2u-%2u %2u:%2u:%2u.%3u %n", &year, &month, &day, &hour, &minute, &second,
                &milli, &used)
                != 7
            || used == 0) {
            continue;
        }
        time.wYear = static_cast<WORD>(year);
        time.wMonth = static_cast<WORD>(month);
        time.wDay = static_cast<WORD>(day);
        time.wHour = static_cast<WORD>(hour);
        time.wMinute = static_cast<WORD>(minute);
        time.wSecond = static_cast<WORD>(second);
        time.wMilliseconds = static_cast<WORD>(milli);
        const double at = LocalMilliseconds(time) - processStart;
        const std::string event = line.substr(static_cast<std::size_t>(used));
        if (event.rfind("start ", 0) == 0) {
            marks["start line logged"] = at;
            continue;
        }
        if (event.rfind("mark ", 0) == 0) {
            marks[event.substr(5)] = at;
            continue;
        }
        if (event.rfind("exchange ", 0) != 0) {
            continue;
        }
        const std::size_t colon = event.find(':');
        const std::size_t unit = event.rfind(" s");
        const std::size_t number = event.rfind(", ", unit);
        if (colon == std::string::npos || unit == std::string::npos || number == std::string::npos) {
            continue;
        }
        const std::string action = event.substr(9, colon - 9);
        const double seconds = std::atof(event.c_str() + number + 2);
        marks["exchange " + action + " begins"] = at - seconds * 1000.0;
        marks["exchange " + action + " ends (logged)"] = at;
    }
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Prints every mark that all starts have: its median, least and greatest
// time from the process's start, and the median of the step from the mark
// before it (in the order of the medians) with that step's spread.
inline void PrintPhases(const char* title, const std::vector<Marks>& starts)
{
    if (starts.empty()) {
        return;
    }
    std::vector<std::pair<double, std::string>> order;
    for (const auto& [name, ignored] : starts.front()) {
        std::vector<double> values;
        for (const Marks& marks : starts) {
            if (const auto found = marks.find(name); found != marks.end()) {
                values.push_back(found->second);
            }
        }
        if (values.size() == starts.size()) {
            order.emplace_back(Median(values), name);
        }
    }
    std::sort(order.begin(), order.end());
    std::printf("%s: ms from the process's start (median, least, most) and the step from the mark above\n", title);
    std::printf("  %-44s %7s %7s %7s %7s %7s %7s\n", "", "median", "least", "most", "step", "least", "most");
    std::string previous;
    for (const auto& [median, name] : order) {
        std::vector<double> values;
        std::vector<double> steps;
        for (const Marks& marks : starts) {
            values.push_back(marks.at(name));
            steps.push_back(marks.at(name) - (previous.empty() ? 0.0 : marks.at(previous)));
        }
        std::sort(values.begin(), values.end());
        std::sort(steps.begin(), steps.end());
        std::printf("  %-44s %7.0f %7.0f %7.0f %7.0f %7.0f %7.0f\n", name.c_str(), median, values.front(),
            values.back(), Median(steps), steps.front(), steps.back());
        previous = name;
    }
    std::printf("\n");
}

// The median over `starts` of the time from mark `from` (the process's start
// when empty) to mark `to`; 0 when a start lacks one of them.
inline double MedianBetween(const std::vector<Marks>& starts, const std::string& from, const std::string& to)
{
    std::vector<double> steps;
    for (const Marks& marks : starts) {
        const auto begin = marks.find(from);
        const auto end = marks.find(to);
        if ((!from.empty() && begin == marks.end()) || end == marks.end()) {
            return 0;
        }
        steps.push_back(end->second - (from.empty() ? 0.0 : begin->second));
    }
    return Median(steps);
}

// The program's phases beside the floor's, medians in milliseconds, with the
// difference: which phase holds the program's extra time.
inline void PrintComparison(const char* title, const std::vector<Marks>& program, const std::vector<Marks>& floor)
{
    const std::string check = "exchange check ";
    const std::string authentication = "exchange AUTHENTICATE+HOST ";
    const std::string list = "exchange RETURN+DOWNLOAD+LIST ";
    const std::string logged = "ends (logged)";
    struct Phase {
        const char* name;
        std::string from;
        std::string to;
    };
    const Phase phases[] = {
        { "process start to the first exchange", "", check + "begins" },
        { "connection check", check + "begins", check + logged },
        { "between check and authentication", check + logged, authentication + "begins" },
        { "authentication", authentication + "begins", authentication + logged },
        { "between authentication and list (packs)", authentication + logged, list + "begins" },
        { "download list", list + "begins", list + logged },
        { "last exchange to ready", list + logged, "ready: filled and answering" },
        { "whole start-up", "", "ready: filled and answering" },
    };
    std::printf("%s: median ms per phase\n", title);
    std::printf("  %-44s %8s %8s %8s\n", "", "program", "floor", "extra");
    for (const Phase& phase : phases) {
        const double mine = MedianBetween(program, phase.from, phase.to);
        const double least = MedianBetween(floor, phase.from, phase.to);
        std::printf("  %-44s %8.0f %8.0f %+8.0f\n", phase.name, mine, least, mine - least);
    }
    std::printf("\n");
}

} // namespace gsd::bench
