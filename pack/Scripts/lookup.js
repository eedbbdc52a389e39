// lookup.js - opens a reference or search site for the selected text, a link
// or an image. Needs common.js. An extension file calls
//   nimoLookup(template, source, encoder)
// template: address of the service, {q} marks where the looked-up text goes;
// source:   a function of common.js that returns the raw text
//           (nimoSelection, nimoLinkOrPageUrl, nimoImageUrl, ...);
// encoder:  one of the functions below; it returns the {q} text, or "" when
//           the raw text is not something the service can look up.

function nimoLookup(template, source, encoder) {
    var raw = source(), q = raw ? encoder(raw) : "";
    if (!q) {
        raw = nimoAsk("what should be looked up?", raw);
        q = raw ? encoder(raw) : "";
        if (!q) {
            if (raw) {
                alert(document.title + ": cannot look up \"" + raw + "\".");
            }
            return;
        }
    }
    nimoOpen(nimoFill(template, "q", q));
}

// Any text, as a query parameter.
function nimoQuery(s) {
    return nimoEncode(nimoTrim(s).replace(/\s+/g, " "), 1500);
}

// Any text, spaces written as "+" (search forms).
function nimoPlus(s) {
    return nimoQuery(s).replace(/%20/g, "+");
}

// Dictionaries: the first word, in lower case.
function nimoWord(s) {
    var m = s.match(/[A-Za-z\u00C0-\u024F]+(['\-][A-Za-z\u00C0-\u024F]+)*/);
    return m ? encodeURIComponent(m[0].toLowerCase()) : "";
}

// Package names: the first name-like token, without punctuation around it.
function nimoToken(s) {
    var m = s.match(/[A-Za-z0-9@][\w.@\/\-]*/);
    return m ? encodeURIComponent(m[0].replace(/[.\/\-]+$/, "")) : "";
}

// Postal addresses for maps: the lines joined with commas.
function nimoAddress(s) {
    return nimoQuery(nimoTrim(s).replace(/\s*[\r\n]+\s*/g, ", "));
}

// ISBN: 10 digits (the last may be X) or 13 digits; hyphens and spaces dropped.
function nimoIsbn(s) {
    var d = s.replace(/ISBN(-1[03])?:?/gi, "").replace(/[^0-9Xx]/g, "").toUpperCase();
    return /^(\d{9}[\dX]|\d{13})$/.test(d) ? d : "";
}

// DOI such as 10.1000/xyz123; the "/" stays readable, the rest is escaped.
function nimoDoi(s) {
    var m = s.match(/10\.\d{4,9}\/[^\s"<>]+/);
    return m ? encodeURIComponent(m[0].replace(/[.,;:)\]]+$/, "")).replace(/%2F/g, "/") : "";
}

// RFC number, from "RFC 2616", "rfc2616" or "2616".
function nimoRfc(s) {
    var m = s.match(/\d+/);
    return m ? String(parseInt(m[0], 10)) : "";
}

// CVE identifier such as CVE-2014-0160, in upper case.
function nimoCve(s) {
    var m = s.match(/CVE-\d{4}-\d{4,}/i);
    return m ? m[0].toUpperCase() : "";
}

// Web address, passed on as it is.
function nimoAsIs(s) {
    return /^(https?|ftp):\/\//i.test(s) ? s : "";
}
