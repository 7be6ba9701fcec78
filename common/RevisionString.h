// A module's two identification lines ("%Z% module part file $Revision: r $"),
// registered with the configuration-control registry once per process.
#pragma once

class RevisionLines {
 public:
  constexpr RevisionLines(const char* source, const char* header) : source_(source), header_(header) {}
  // Registers both lines the first time it is called; later calls do nothing.
  void RegisterOnce();
  const char* Source() const { return source_; }
  const char* Header() const { return header_; }

 private:
  const char* source_;
  const char* header_;
  bool registered_ = false;
};
