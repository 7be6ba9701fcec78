// Configuration-control registry: every module registers its identification
// lines once per process; they are written as a table while a report is open.
#pragma once

void OpenConfigReport(const char* path);
void AddRevision(const char* line);
void CloseConfigReport();
bool IsConfigReportOpen();
