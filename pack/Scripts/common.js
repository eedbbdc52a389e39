// common.js - helpers shared by every extension of the Zandor Extension Pack.
// Internet Explorer opens an extension file when its context-menu entry is
// chosen; external.menuArguments is then the window of the right-clicked page.

var nimoWin = external.menuArguments;
var nimoDoc = nimoWin.document;

// Text without leading and trailing white space.
function nimoTrim(s) {
    return String(s).replace(/^\s+|\s+$/g, "");
}

// Title of the page, or its address when it has no title.
function nimoPageName() {
    return nimoDoc.title || nimoDoc.URL;
}

// Text range of the selection, or null when no text is selected.
function nimoSelectionRange() {
    var sel = nimoDoc.selection;
    return (sel && sel.type == "Text") ? sel.createRange() : null;
}

// Selected text, trimmed; empty when nothing is selected.
function nimoSelection() {
    var range = nimoSelectionRange();
    return range ? nimoTrim(range.text) : "";
}

// Element that was right-clicked.
function nimoTarget() {
    return nimoWin.event ? nimoWin.event.srcElement : null;
}

// Link (A or AREA element with an address) that was right-clicked, or null.
function nimoLink() {
    var e = nimoTarget();
    while (e && e.tagName != "A" && e.tagName != "AREA") {
        e = e.parentElement;
    }
    return (e && e.href) ? e : null;
}

// Image that was right-clicked, or null.
function nimoImage() {
    var e = nimoTarget();
    return (e && e.tagName == "IMG") ? e : null;
}

// Sources: each returns the raw text an extension works on, or "".
function nimoPageUrl() {
    return nimoDoc.URL;
}

function nimoLinkUrl() {
    var link = nimoLink();
    return link ? link.href : "";
}

function nimoLinkOrPageUrl() {
    return nimoLinkUrl() || nimoPageUrl();
}

function nimoLinkOrPageHost() {
    var link = nimoLink();
    return link ? link.hostname : nimoWin.location.hostname;
}

function nimoImageUrl() {
    var img = nimoImage();
    return img ? img.src : "";
}

// Template with every {name} replaced by value.
function nimoFill(template, name, value) {
    return template.split("{" + name + "}").join(value);
}

// Text encoded for an address, shortened until the encoded form has at most
// max characters (Internet Explorer cannot open very long addresses).
function nimoEncode(text, max) {
    var q = encodeURIComponent(text);
    while (q.length > max) {
        text = text.substring(0, Math.floor(text.length * 0.9));
        if (/[\uD800-\uDBFF]$/.test(text)) {
            text = text.substring(0, text.length - 1);
        }
        q = encodeURIComponent(text);
    }
    return q;
}

// Asks the user for a text; empty when the question is cancelled.
function nimoAsk(question, suggestion) {
    var answer = window.prompt(document.title + " - " + question, suggestion || "");
    return answer == null ? "" : nimoTrim(answer);
}

// Opens an address in a new browser window.
function nimoOpen(url) {
    nimoWin.open(url, "_blank");
}

// Text made safe to write into HTML.
function nimoEscape(s) {
    return String(s).replace(/&/g, "&amp;").replace(/</g, "&lt;")
        .replace(/>/g, "&gt;").replace(/"/g, "&quot;");
}

// HTML link to an address, for reports.
function nimoAnchor(url, text) {
    return "<a href=\"" + nimoEscape(url) + "\" target=\"_blank\">" +
        nimoEscape(text || url) + "</a>";
}

// HTML table from a list of headings and a list of rows of HTML cells.
function nimoTable(headings, rows) {
    var html = "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\"><tr>", i, j;
    for (i = 0; i < headings.length; i++) {
        html += "<th>" + headings[i] + "</th>";
    }
    html += "</tr>";
    for (i = 0; i < rows.length; i++) {
        html += "<tr>";
        for (j = 0; j < rows[i].length; j++) {
            html += "<td>" + rows[i][j] + "</td>";
        }
        html += "</tr>";
    }
    return html + "</table>";
}

// Opens a new window that shows a heading and the given HTML.
function nimoReport(title, html) {
    var w = nimoWin.open("about:blank", "_blank"), d = w.document;
    d.open();
    d.write("<html><head><title>" + nimoEscape(title) + "</title></head>" +
        "<body style=\"font: 10pt Verdana, Arial, sans-serif\"><h3>" +
        nimoEscape(title) + "</h3>" + html + "</body></html>");
    d.close();
}

// Switches a set of items off when any of them is on, otherwise on again.
// isOn(item) tells whether an item is on; turn(item, on) switches it.
// Returns true when the items were switched on.
function nimoToggle(items, isOn, turn) {
    var on = false, i;
    for (i = 0; i < items.length && !on; i++) {
        on = isOn(items[i]);
    }
    for (i = 0; i < items.length; i++) {
        turn(items[i], !on);
    }
    return !on;
}

// Sets the zoom of the page (1 is the normal size).
function nimoSetZoom(level) {
    nimoDoc.body.style.zoom = (level == 1) ? "" : String(level);
}

// Multiplies the zoom of the page by factor, within 25% and 500%.
function nimoZoom(factor) {
    var zoom = String(nimoDoc.body.style.zoom), level = parseFloat(zoom) || 1;
    if (zoom.indexOf("%") >= 0) {
        level = level / 100;
    }
    level = Math.round(level * factor * 100) / 100;
    nimoSetZoom(Math.max(0.25, Math.min(5, level)));
}
