"""Corvane's traffic engine for NumPy and pandas.

Erlang B (blocking, lines, traffic), extended Erlang B with retrials,
Erlang C and Erlang A staffing, Erlang X (limited lines, redials, four
service-level bases and a forecast's variance, as keywords of the Erlang C
and A functions and in functions of its own), Engset, overflow traffic and
the traffic offered behind a carried traffic, exact to 1e-12 relative and
with exact counts, as vectorised functions: arguments broadcast as in NumPy, scalars give scalars,
arrays give float64 arrays (counts as int64), ``out=`` is filled in place,
and the GIL is released while the engine runs.

pandas Series (or DataFrames) give Series (DataFrames) named after what they
hold, aligned as pandas aligns them: on the union of their labels, a label one
of them lacks giving a missing answer. So does a missing value (``<NA>``) of a
nullable column (``Float64``, ``Int64``, as ``convert_dtypes()`` makes them),
whose answers are nullable too.

Units: traffic in erlangs; lines, agents and sources as counts (whole or
fractional where a function takes them); probabilities as fractions of 1;
times in any one unit, the same for the handling time, the target time, the
patience and the average wait. Results with several parts are named tuples.

An argument outside the domain raises :class:`DomainError`, a ValueError
whose message is the engine's (for an array, with the first bad element's
index); an ``out=`` of the result's type then holds the answers of the other
elements and keeps its own values at the bad ones. Under
``errstate(domain="ignore")`` such elements give NaN instead, under
``"warn"`` NaN and a :class:`DomainWarning`; counts then come back as float64
so that NaN has a place.

>>> import corvane
>>> corvane.erlang_b_lines(traffic=10, blocking=0.01)
18
"""

import collections as _collections
import contextlib as _contextlib
import contextvars as _contextvars
import inspect as _inspect
import operator as _operator
import sys as _sys
import warnings as _warnings

import numpy as _np

from . import _engine
from ._docs import DOCS as _DOCS

__all__ = ["DomainError", "DomainWarning", "errstate", "geterr", "seterr"]
# pip's metadata holds the version in PEP 440's normal form (the programs'
# 1.00.0011 is 1.0.11 there); so does this, so that the two compare equal.
__version__ = ".".join(str(int(part)) for part in _engine.version.split("."))


def __dir__():
    return sorted(__all__ + ["__version__"])


class _Outside:
    def __init__(self, message, argument=None, value=None, rule=None, index=None, count=1):
        super().__init__(message)
        self.argument, self.value, self.rule = argument, value, rule
        self.index, self.count = index, count


class DomainError(_Outside, ValueError):
    """An argument outside the engine's domain.

    Attributes: ``argument`` (named as the function's keyword, or None for
    an error that names none), ``value`` (the value given), ``rule`` (what it
    must be), ``index`` (the element's index in the broadcast result; None
    for scalars) and ``count`` (how many elements were outside the domain).
    """


class DomainWarning(_Outside, RuntimeWarning):
    """Arguments outside the domain gave NaN, under ``errstate(domain="warn")``.

    Its attributes are DomainError's, for the first such element.
    """


_domain = _contextvars.ContextVar("corvane_domain", default="raise")
# SciPy's words; "nan" is the older spelling of "ignore".
_ACTIONS = ("ignore", "warn", "raise", "nan")


def _action(domain):
    if domain not in _ACTIONS:
        raise ValueError(f"domain must be one of {', '.join(_ACTIONS)}, got {domain!r}")
    return domain


def geterr():
    """The current error policy, as a dict: ``{"domain": "raise"}`` by default."""
    return {"domain": _domain.get()}


def seterr(domain=None):
    """Set the policy for arguments outside the domain; returns the old one.

    ``"raise"`` (the default) raises DomainError; ``"ignore"`` gives NaN for
    each such element, ``"warn"`` the same with a DomainWarning (counts then
    come back as float64); ``"nan"`` is the older name of ``"ignore"``. The
    policy belongs to the current thread (and asyncio task). Prefer
    :func:`errstate`.
    """
    old = geterr()
    if domain is not None:
        _domain.set(_action(domain))
    return old


@_contextlib.contextmanager
def errstate(domain=None):
    """Context manager for the error policy, like scipy.special.errstate.

    >>> import corvane
    >>> with corvane.errstate(domain="ignore"):
    ...     corvane.erlang_b_lines(traffic=[10, -2], blocking=0.01)
    array([18., nan])
    """
    token = _domain.set(_action(domain) if domain is not None else _domain.get())
    try:
        yield
    finally:
        _domain.reset(token)


def _domain_error(ufunc, any_count, args, where, trouble, marked):
    """The error for the first element, in C order, outside the domain.

    `marked`: the first result with NaN at such elements, or None to compute it.
    """
    count, argument, value, rule, message = trouble
    if marked is None:
        options = {"dtype": _np.float64} if any_count else {}
        if where is not None:
            options["where"] = where
        _engine.take_trouble(True)
        marked = ufunc(*args, **options)
        _engine.take_trouble()
        marked = marked[0] if type(marked) is tuple else marked
    first = _np.asarray(marked)
    index = None
    if first.ndim > 0:
        bad = _np.isnan(first) if where is None else _np.isnan(first) & where
        index = tuple(int(i) for i in _np.unravel_index(int(_np.argmax(bad)), first.shape))
        # The loops may run in memory order: ask the engine about this element.
        ufunc(*[_np.broadcast_to(_np.asarray(a), first.shape)[index] for a in args])
        again = _engine.take_trouble()
        if again is not None:
            _, argument, value, rule, message = again
    keyword = argument  # the engine's argument as this module's keyword names it
    if index is not None:
        where = index[0] if len(index) == 1 else index
        message = f"element {where}: {message}"
        if count > 1:
            message += f" ({count} elements outside the domain)"
    return DomainError(message, keyword or None, value, rule or None, index, count)


def _run(ufunc, any_count, args, out=None, where=None, stacklevel=3):
    """The ufunc on arrays under the error policy: its result, or DomainError.

    `where`: the elements to compute (the others of `out` are left as they are).
    """
    action = _domain.get()
    mark = action != "raise"
    options = {}
    if out is not None:
        options["out"] = out
        # A count reaches a float out= by the loop that gives NaN a place.
        first = out[0] if type(out) is tuple else out
        if any_count and getattr(first, "dtype", None) is not None and first.dtype.kind == "f":
            options["dtype"] = _np.float64
    elif mark and any_count:
        options["dtype"] = _np.float64
    if where is not None:
        options["where"] = where
    _engine.take_trouble(mark)
    value = ufunc(*args, **options)
    trouble = _engine.take_trouble()
    if trouble is None:
        return value
    first = value[0] if type(value) is tuple else value
    if mark and first.dtype.kind == "f":
        if action == "warn":
            e = _domain_error(ufunc, any_count, args, where, trouble, first)
            warning = DomainWarning(str(e), e.argument, e.value, e.rule, e.index, e.count)
            _warnings.warn(warning, stacklevel=stacklevel)
        return value
    e = _domain_error(ufunc, any_count, args, where, trouble, None)
    if mark:
        e.args = (e.args[0] + "; an integer out= has no place for NaN",)
    raise e


def _numbers(a):
    """A pandas object's values as float64, and where a value is missing (None: nowhere).

    A missing value is one pandas marks so in a column of a nullable or
    object dtype; NaN in a float64 column is a value, outside the domain.
    """
    dtypes = [a.dtype] if a.ndim == 1 else list(a.dtypes)
    aware = [not isinstance(d, _np.dtype) or d == object for d in dtypes]
    if not any(aware):
        return _np.asarray(a.to_numpy(), dtype=_np.float64), None
    values = a.to_numpy(dtype=_np.float64, na_value=_np.nan)
    missing = _np.asarray(a.isna())
    if a.ndim == 2:
        missing &= _np.array(aware)
    return values, missing


def _align(a, axes, pd):
    """A pandas object's values and missing ones on the joint labels `axes`."""
    values, missing = _numbers(a)
    for k, (own, joint) in enumerate(zip(a.axes, axes)):
        if own is joint or own.equals(joint):
            continue
        try:
            taken = own.get_indexer(joint)
        except pd.errors.InvalidIndexError:
            raise ValueError(
                "cannot align pandas arguments whose labels repeat: give them the same labels"
            ) from None
        gap = (taken < 0).reshape([-1 if i == k else 1 for i in range(a.ndim)])
        values = _np.take(values, taken, axis=k)
        missing = gap if missing is None else _np.take(missing, taken, axis=k) | gap
    return values, missing


def _labelled(ufunc, counts, names, args, out):
    """A call with pandas objects among its arguments, on arrays; None if there are none.

    Series and DataFrames are aligned on the union of their labels, as pandas
    aligns them; missing values give missing answers, <NA> where an argument
    was nullable, else NaN (counts then come back as float64).
    """
    pd = _sys.modules.get("pandas")
    if pd is None:
        return None
    frames = [a for a in args if isinstance(a, (pd.Series, pd.DataFrame))]
    bare = [a for a in args if isinstance(a, pd.api.extensions.ExtensionArray)]
    if not frames and not bare:
        return None
    if len({a.ndim for a in frames}) > 1:
        raise TypeError("Series and DataFrames together: give a DataFrame's columns as Series")
    axes = list(frames[0].axes) if frames else []
    for a in frames[1:]:
        axes = [x if x.equals(y) else x.union(y) for x, y in zip(axes, a.axes)]
    nullable = any(
        not isinstance(d, _np.dtype)
        for a in frames + bare
        for d in ([a.dtype] if a.ndim == 1 else a.dtypes)
    )
    arrays, gaps = [], []
    for a in args:
        if isinstance(a, (pd.Series, pd.DataFrame)):
            a, missing = _align(a, axes, pd)
            gaps.append(missing)
        elif isinstance(a, pd.api.extensions.ExtensionArray):
            gaps.append(_np.asarray(a.isna()))
            a = a.to_numpy(dtype=_np.float64, na_value=_np.nan)
        arrays.append(a)
    shape = _np.broadcast_shapes(*(_np.shape(a) for a in arrays))
    labelled = tuple(len(x) for x in axes) if frames else shape[:1]
    if shape != labelled:
        raise ValueError(f"the arguments broadcast to {shape}, not to the labels' {labelled}")
    missing = None
    for gap in gaps:
        if gap is not None and gap.any():
            missing = gap if missing is None else missing | gap
    missing = None if missing is None else _np.broadcast_to(missing, shape)

    outs = out if out is None or type(out) is tuple else (out,)
    if missing is not None:
        if outs is None:
            mark = _domain.get() != "raise"
            integer = nullable and not mark
            outs = tuple(
                _np.zeros(shape, _np.int64) if count and integer else _np.full(shape, _np.nan)
                for count in counts
            )
        elif any(o.dtype.kind != "f" for o in outs):
            raise ValueError("an integer out= has no place for the missing values")
    value = _run(ufunc, any(counts), arrays, outs, None if missing is None else ~missing, 4)
    results = value if type(value) is tuple else (value,)
    if out is not None:
        for o in results if missing is not None else ():
            o[missing] = _np.nan
        return value

    def rebuild(values, name):
        if nullable:
            kind = pd.arrays.IntegerArray if values.dtype.kind == "i" else pd.arrays.FloatingArray
            none = _np.zeros(shape, bool) if missing is None else missing
            if len(shape) == 1:
                values = kind(values, none.copy())
            else:
                values = {j: kind(values[:, j].copy(), none[:, j].copy()) for j in range(shape[1])}
        if not frames:
            return values
        if len(shape) == 1:
            return pd.Series(values, index=axes[0], name=name)
        table = pd.DataFrame(values, index=axes[0])
        table.columns = axes[1]
        return table

    rebuilt = tuple(rebuild(v, n) for v, n in zip(results, names))
    return rebuilt if type(value) is tuple else rebuilt[0]


_MISSING = object()


def _spelled(choice):
    """A choice's words as this module spells them: the registry's, snake_case."""
    return tuple(w.replace("-", "_") for w in _engine.choices[choice])


def _refused_word(key, choice, value, where=""):
    listed = ", ".join(_spelled(choice))
    if isinstance(value, str):
        shown = f"'{value}'"
    elif value is None:
        shown = "a missing value"
    elif isinstance(value, (int, float, _np.number)):
        shown = str(value)
    else:  # never a container's repr
        shown = f"a {type(value).__name__}"
    return ValueError(f"{key} must be one of {listed}, got {shown}{where}")


def _word(key, choice, value):
    """A word argument as the registry's enum (a float, as the ufuncs take it).

    A word is read as the registry reads every word (any case, '-', '_' and a
    blank the same); an array or a Series of words element by element, into
    an array or a Series of the enum's values.
    """
    if isinstance(value, str):
        at = _engine.parse_word(choice, value)
        if at is None:
            raise _refused_word(key, choice, value)
        return float(at)
    pd = _sys.modules.get("pandas")
    if pd is not None and isinstance(value, pd.Series):
        return pd.Series(_word(key, choice, value.to_numpy(dtype=object)), index=value.index,
                         name=value.name)
    items = _np.asarray(value, dtype=object)
    if items.ndim == 0:
        raise _refused_word(key, choice, items.item())
    values = _np.empty(items.shape)
    seen = {}
    for index, item in _np.ndenumerate(items):
        at = seen.get(item) if isinstance(item, str) else None
        if at is None:
            at = _engine.parse_word(choice, item) if isinstance(item, str) else None
            if at is None:
                where = f" (element {index[0] if len(index) == 1 else index})"
                raise _refused_word(key, choice, None if _missing(item) else item, where)
            seen[item] = at
        values[index] = at
    return values


def _missing(item):
    return item is None or (isinstance(item, float) and item != item)


def _choice(name, variants, fallback=None):
    """The parameters of a function over one or more ufuncs, and how a call picks one.

    Each variant (one ufunc) names its arguments: those every variant takes
    are positional or keyword, the others keyword-only, and a call picks the
    variant whose own arguments it gives ("f[traffic]" and "f[intended_traffic]"
    in the table: exactly one of the two). "f[key=word]" in the table takes the
    keyword `key`, one of the words, the first its default; "f[a,key=word]"
    both. `fallback(args, kwargs)` binds a call none of the variants takes.
    """
    P = _inspect.Parameter
    forms = []
    for kind, (ufunc, arguments, *_) in variants:
        words = dict(s.split("=") for s in kind.split(",") if "=" in s)
        forms.append((ufunc, tuple(arguments), words))
    common = [a for a in forms[0][1] if all(a in f[1] for f in forms)]
    optional = list(dict.fromkeys(a for f in forms for a in f[1] if a not in common))
    keys = list(dict.fromkeys(k for f in forms for k in f[2]))
    choices = {k: list(dict.fromkeys(f[2][k] for f in forms)) for k in keys}
    table = {
        (frozenset(f[1]) - set(common), tuple(f[2][k] for k in keys)): (f[0], f[1]) for f in forms
    }
    parameters = [P(a, P.POSITIONAL_OR_KEYWORD) for a in common]
    parameters += [P(a, P.KEYWORD_ONLY, default=None) for a in optional]
    parameters += [P(k, P.KEYWORD_ONLY, default=choices[k][0]) for k in keys]
    signature = _inspect.Signature(parameters + [P("out", P.KEYWORD_ONLY, default=None)])
    position = {a: i for i, a in enumerate(common)}
    extra = set(optional) | set(keys)
    size, only = len(common), forms[0][0] if len(forms) == 1 else None
    # The arguments after the first n, from the keywords, as a tuple.
    rest = [_operator.itemgetter(*common[n:]) for n in range(size)]
    if size:
        last = rest[-1]
        rest[-1] = lambda kwargs: (last(kwargs),)

    def refuse(args, kwargs):
        if fallback is not None:
            return fallback(args, kwargs)
        signature.bind(*args, **kwargs)  # raises the TypeError Python would
        raise TypeError(f"{name}() got an unexpected combination of arguments")

    def pick(given):
        words = []
        for k in keys:
            word = given.get(k, choices[k][0])
            if word not in choices[k]:
                # Read as the registry reads every word: Hayward, ERT.
                at = _engine.parse_word(k, word) if isinstance(word, str) else None
                if at is None or _engine.choices[k][at] not in choices[k]:
                    raise _refused_word(k, k, word)
                word = _engine.choices[k][at]
            words.append(word)
        numbers = frozenset(a for a in optional if given.get(a) is not None)
        form = table.get((numbers, tuple(words)))
        if form is None:
            sets = [[a for a in f[1] if a not in common] for f in forms]
            if all(len(s) == 1 for s in sets):
                takes = f"exactly one of {', '.join(optional)}"
            else:
                takes = "one of the sets " + "; ".join(", ".join(s) or "none" for s in sets)
            raise TypeError(f"{name}() takes {takes} ({len(numbers)} given)")
        return form

    # Binding by hand: inspect.Signature.bind costs several times the engine's call.
    def choose(args, kwargs):
        if only is not None:
            n = len(args)
            if not kwargs and n == size:
                return only, args
            if n + len(kwargs) == size:
                try:
                    return only, args + rest[n](kwargs)
                except KeyError:
                    pass
            return refuse(args, kwargs)
        if len(args) > size:
            return refuse(args, kwargs)
        values = list(args) + [_MISSING] * (size - len(args))
        given = {}
        for key, value in kwargs.items():
            i = position.get(key, -1)
            if i >= len(args):
                values[i] = value
            elif key in extra:
                given[key] = value
            else:
                return refuse(args, kwargs)
        if any(v is _MISSING for v in values):
            return refuse(args, kwargs)
        ufunc, arguments = pick(given)
        given.update(zip(common, values))
        return ufunc, [given[a] for a in arguments]

    return signature, choose


# What one keyword of the Erlang X forms needs beside it, and the targets a
# staffing function meets (at least one).
_NEEDS = {
    "calls": ("interval", "aht"),
    "interval": ("calls",),
    "variance": ("calls",),
    "service_level": ("target_time",),
}
_TARGETS = ("service_level", "average_wait", "answered_wait", "max_abandon", "max_blocking")


def _extended(name, entry, plain):
    """The parameters of an Erlang X form, and how a call binds to it.

    The arguments before "*" in the table are positional or keyword, those
    after it keyword-only and optional ("basis=basis": a word of the registry's
    choice "basis", the first its default, passed as its enum's value, or an
    array or Series of words as one of values); a last argument tells the engine
    which optional ones the call gave. `calls` with `interval` stand in for
    `traffic`. `plain`: the entry whose ufunc takes the arguments before "*"
    alone, for calls giving none of the others (None if there is none).
    """
    P = _inspect.Parameter
    ufunc, arguments = entry[0], tuple(entry[1])
    cut = arguments.index("*")
    required, optional, words = list(arguments[:cut]), [], {}
    if plain is not None and tuple(plain[1]) != tuple(required):
        raise ImportError(f"{name}: the Erlang X form's first arguments are not the plain one's")
    for a in arguments[cut + 1 :]:
        key, _, choice = a.partition("=")
        optional.append(key)
        if choice:
            words[key] = choice
    defaults = {k: _spelled(c)[0] for k, c in words.items()}
    parameters = [P(a, P.POSITIONAL_OR_KEYWORD) for a in required]
    parameters += [P(k, P.KEYWORD_ONLY, default=defaults.get(k)) for k in optional]
    signature = _inspect.Signature(parameters + [P("out", P.KEYWORD_ONLY, default=None)])
    by_calls = signature.replace(parameters=[p for p in signature.parameters.values()
                                             if p.name != "traffic"])
    size = len(required)
    slot = {a: i for i, a in enumerate(required + optional)}
    bit = dict(zip(optional, (1 << i for i in range(len(optional)))))
    blank = [_MISSING] * size + [0.0] * len(optional)
    traffic = slot.get("traffic", -1)
    targets = sum(bit.get(t, 0) for t in _TARGETS)
    some_target = targets and not set(required) & set(_TARGETS)
    rules = [(bit[k], k, [(bit[n], n) for n in needs if n in bit])
             for k, needs in _NEEDS.items() if k in bit]

    def refuse(args, kwargs):
        (by_calls if kwargs.get("calls") is not None else signature).bind(*args, **kwargs)
        raise TypeError(f"{name}() got an unexpected combination of arguments")

    def word(key, value):
        return _word(key, words[key], value)

    def bind(args, kwargs):
        n = len(args)
        if n > size:
            return refuse(args, kwargs)
        values = list(args) + blank[n:]
        given = 0
        for key, value in kwargs.items():
            i = slot.get(key, -1)
            if i < n:  # not a keyword, or given by position
                return refuse(args, kwargs)
            if i >= size:
                if value is None:
                    continue
                if key in words:
                    value = word(key, value)
                given |= bit[key]
            values[i] = value
        for own, key, needs in rules if given else ():
            for need, other in needs:
                if given & own and not given & need:
                    raise TypeError(f"{name}() takes {key}= only with {other}=")
        if given & bit.get("calls", 0):
            if values[traffic] is not _MISSING:
                raise TypeError(f"{name}() takes traffic or calls= with interval=, not both")
            values[traffic] = 0.0
        if any(v is _MISSING for v in values[:size]):
            return refuse(args, kwargs)
        if some_target and not given & targets:
            takes = ", ".join(t for t in _TARGETS if t in bit)
            raise TypeError(f"{name}() takes at least one target of {takes}")
        if not given and plain is not None:
            return plain[0], values[:size]
        values.append(float(given))
        return ufunc, values

    return signature, bind


# What a function of one result answers: the name of the Series it gives.
_ANSWERS = {
    "erlang_b": "blocking",
    "log_erlang_b": "log_blocking",
    "erlang_b_lines": "lines",
    "erlang_b_traffic": "traffic",
    "extended_erlang_b_lines": "lines",
    "extended_erlang_b_traffic": "traffic",
    "erlang_c": "wait_probability",
    "service_level": "service_level",
    "average_wait": "average_wait",
    "agents": "agents",
    "agents_for_wait": "agents",
    "erlang_a_service_level": "service_level",
    "erlang_a_agents": "agents",
    "erlang_a_agents_for_wait": "agents",
    "engset_lines": "lines",
    "overflow_lines": "lines",
    "offered_traffic": "traffic",
    "queue_blocking": "blocking",
    "queue_lines": "lines",
    "answered_wait": "answered_wait",
    "capacity": "traffic",
}
# What decided a staffing, by the engine's index ("" or a missing value for none).
_DECIDERS = _TARGETS + ("max_occupancy",)


def _decided(codes):
    pd = _sys.modules.get("pandas")
    if pd is not None and isinstance(codes, (pd.Series, pd.DataFrame)):
        names = dict(enumerate(_DECIDERS))
        return codes.map(names) if codes.ndim == 1 else codes.apply(lambda c: c.map(names))
    codes = _np.asarray(codes)
    if codes.dtype.kind == "f":
        codes = _np.where(_np.isnan(codes), len(_DECIDERS), codes).astype(_np.intp)
    words = _np.array(_DECIDERS + ("",))[codes]
    return str(words) if words.ndim == 0 else words

# Arguments taken as they are; anything else may be a pandas object.
_PLAIN = frozenset({float, int, _np.ndarray, _np.float64, _np.int64, list, tuple})


def _function(name, variants):
    _, fields, counts, result = variants[0][1][1:]
    plain = [(kind, e) for kind, e in variants if "*" not in e[1]]
    extended = [e for _, e in variants if "*" in e[1]]
    if not extended:
        signature, choose = _choice(name, plain)
    elif not plain:
        signature, choose = _extended(name, extended[0], None)
    else:
        # One plain form, whose arguments the Erlang X form takes first.
        signature, choose = _extended(name, extended[0], plain[0][1])
        _, choose = _choice(name, plain, fallback=choose)
    named = None
    if result:
        # One class for each kind of result, shared by the functions giving it.
        named = globals().get(result) or _collections.namedtuple(result, fields, module=__name__)
        if result not in __all__:
            globals()[result] = named
            __all__.append(result)
    names = fields if named else (_ANSWERS[name],)
    any_count = any(counts)
    make = named._make if named else None
    if "decided_by" in fields:
        at = fields.index("decided_by")

        def make(value):
            return named._make(v if i != at else _decided(v) for i, v in enumerate(value))

    def function(*args, out=None, **kwargs):
        ufunc, args = choose(args, kwargs)
        for a in args:
            if type(a) not in _PLAIN:
                value = _labelled(ufunc, counts, names, args, out)
                if value is not None:
                    return make(value) if make else value
                break
        value = _run(ufunc, any_count, args, out)
        return make(value) if make else value

    function.__name__ = function.__qualname__ = name
    function.__module__ = __name__
    function.__signature__ = signature
    function.__doc__ = _DOCS.get(name)
    return function


def _build():
    variants = {}
    for key, entry in _engine.functions.items():
        name, _, kind = key.partition("[")
        variants.setdefault(name, []).append((kind.rstrip("]"), entry))
    for name, forms in variants.items():
        globals()[name] = _function(name, forms)
        __all__.append(name)


_build()

from ._records import Records, RefusedRowsWarning, merge_records, read_records  # noqa: E402
__all__ += _records.__all__  # noqa: F821 (the submodule, bound by the import)
from ._day import DayPlan, day  # noqa: E402  (the day carried over, over the names above)

__all__ += ["DayPlan", "day"]
from ._shifts import Shifts, shifts  # noqa: E402  (over the names _build made)

shifts.__doc__ = _DOCS["shifts"]
__all__ += ["Shifts", "shifts"]
