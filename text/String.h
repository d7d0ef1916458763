// The one text type of the launcher: an owned, NUL-terminated byte buffer in the ANSI code page.
//
// No length is stored, nothing is shared, every copy is deep. Counts and indices are signed 32-bit
// byte counts; out-of-range requests are clamped, and -1 means "not found". Searches step over the
// double-byte characters of the active code page, so a trail byte is never matched.
#pragma once

class String {
  public:
    String();
    String(const char* text); // NOLINT(google-explicit-constructor): texts convert freely
    String(const String& other);
    String& operator=(const String& other);
    ~String();

    // Exact byte copies (no lone-lead-byte rule). Assigning a String to itself does nothing; a
    // text must not lie inside this String's own buffer.
    String& Assign(const String& other);
    String& Assign(const char* text);

    int Length() const;
    bool IsEmpty() const;
    // The text, for platform calls; valid until this String is next changed or destroyed.
    const char* Text() const { return buffer_; }
    operator const char*() const { return buffer_; } // NOLINT(google-explicit-constructor)

    int Find(char character, int start = 0) const;
    int Find(const char* text, int start = 0) const;
    // 0 when equal, else -1 or 1.
    int Compare(const char* text) const;
    // 0 when equal ignoring case, else -1 or 1; 2147483647 when a case mapping fails.
    int CompareNoCase(const char* text) const;

    String Left(int count) const;
    String Mid(int first, int count) const;
    String Right(int count) const;

    void MakeUpper();
    void TrimLeft();
    void TrimRight();
    int Replace(char oldCharacter, char newCharacter);
    int Replace(const char* oldText, const char* newText);

    friend String operator+(const String& left, const String& right);
    friend String operator+(const String& left, const char* right);
    friend String operator+(const char* left, const String& right);

  private:
    void AllocateBuffer(int length);
    void GrowBuffer(int length);
    void AssignBytes(int count, const char* source);
    void CopyRange(String& destination, int count, int start) const;
    void JoinTexts(const char* left, const char* right);
    void CopyFrom(const char* text);

    char* buffer_;
};
