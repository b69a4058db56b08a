// Niceties only: the page works the same without script.
(function () {
  "use strict";
  // A submission id made on the phone, when the page came without one.
  var ids = document.querySelectorAll("input[name=submission]");
  for (var i = 0; i < ids.length; i++) {
    if (!ids[i].value && window.crypto && crypto.randomUUID) ids[i].value = crypto.randomUUID();
  }
  // A second tap while the first is on its way sends nothing more.
  var forms = document.querySelectorAll("form");
  for (var k = 0; k < forms.length; k++) {
    forms[k].addEventListener("submit", function (event) {
      if (this.dataset.sent) { event.preventDefault(); return; }
      this.dataset.sent = "1";
    });
  }
  // The photos chosen so far, named under their boxes.
  var boxes = document.querySelectorAll(".pictures");
  for (var b = 0; b < boxes.length; b++) {
    (function (box) {
      var inputs = box.querySelectorAll("input[type=file]");
      var line = box.querySelector(".chosen");
      var show = function () {
        var names = [];
        for (var n = 0; n < inputs.length; n++)
          for (var f = 0; f < inputs[n].files.length; f++) names.push(inputs[n].files[f].name);
        line.textContent = names.length ? "已选" + names.length + "张：" + names.join("、") : "";
      };
      for (var n = 0; n < inputs.length; n++) inputs[n].addEventListener("change", show);
    })(boxes[b]);
  }
  // After a record, the keypad comes up again for the next amount.
  var amount = document.getElementById("amount");
  if (amount && document.querySelector(".message:not(.error)")) amount.focus();
})();
